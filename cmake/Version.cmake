# The version lives in the file VERSION alone (major.minor.patch). The version
# resources, the manifest and the package command all read it from there.
file(STRINGS ${PROJECT_SOURCE_DIR}/VERSION VENDRAKE_VERSION LIMIT_COUNT 1 REGEX "^[0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT VENDRAKE_VERSION)
  message(FATAL_ERROR "VERSION must hold one line major.minor.patch")
endif()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VERSION)
string(REPLACE "." ";" vendrake_version_parts ${VENDRAKE_VERSION})
list(GET vendrake_version_parts 0 VENDRAKE_VERSION_MAJOR)
list(GET vendrake_version_parts 1 VENDRAKE_VERSION_MINOR)
list(GET vendrake_version_parts 2 VENDRAKE_VERSION_PATCH)
# The manifest names the processor the way Windows does.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VENDRAKE_MANIFEST_ARCH amd64)
else()
  set(VENDRAKE_MANIFEST_ARCH x86)
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/Version.h.in ${CMAKE_BINARY_DIR}/generated/Version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/Vendrake.exe.manifest.in
               ${CMAKE_BINARY_DIR}/generated/Vendrake.exe.manifest @ONLY)
