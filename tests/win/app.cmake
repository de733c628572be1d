# The main window in the test process, and the program driven from outside.
add_executable(app_tests
  ${CMAKE_CURRENT_LIST_DIR}/MainFormTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchFakeCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${PROJECT_SOURCE_DIR}/tests/fixtures/MovieMaker.cpp
  ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc
)
target_include_directories(app_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/fixtures)
target_link_libraries(app_tests PRIVATE app gtest_main ws2_32 shell32)
vendrake_use_skin_pictures(app_tests ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc)
vendrake_add_test(app_tests)

add_executable(e2e_tests ${CMAKE_CURRENT_LIST_DIR}/EndToEndTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramFileTest.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(e2e_tests PRIVATE core gtest_main version)
add_dependencies(e2e_tests Vendrake Zelpo)
vendrake_add_test(e2e_tests)

# The program on a Western system: runs in the second prefix, code page 1252
# (scripts/common.sh starts it with vk_start_wine_cp1252).
set(VENDRAKE_CP1252_PREFIX "${CMAKE_BINARY_DIR}/../wineprefix-cp1252" CACHE PATH "The code-page-1252 Wine prefix")
add_executable(western_tests
  ${CMAKE_CURRENT_LIST_DIR}/WesternSystemTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc
)
target_link_libraries(western_tests PRIVATE app gtest_main)
vendrake_use_skin_pictures(western_tests ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc)
vendrake_add_test(western_tests)
set_tests_properties(western_tests PROPERTIES ENVIRONMENT "WINEPREFIX=${VENDRAKE_CP1252_PREFIX};LANG=en_US.UTF-8")
