# Shared part of the two Windows toolchain files; VENDRAKE_TRIPLE names the target.
# The win32 thread model: the posix model's runtime (winpthreads), linked
# statically, imports functions Windows 2000 and XP lack (GetTickCount64,
# AddVectoredExceptionHandler) into every program, ours included. This model
# has no std::thread or std::mutex; the code uses Win32 threads and locks.
set(CMAKE_C_COMPILER ${VENDRAKE_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VENDRAKE_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${VENDRAKE_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VENDRAKE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No mingw runtime DLL ships: everything is linked statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# ctest runs the test programs through Wine's 64-bit loader (the wrapper in
# /usr/bin/wine would pick the 32-bit loader once wine32 is installed).
if(VENDRAKE_TRIPLE MATCHES "^x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
