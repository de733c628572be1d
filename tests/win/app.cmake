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

add_executable(e2e_tests ${CMAKE_CURRENT_LIST_DIR}/EndToEndTest.cpp)
target_link_libraries(e2e_tests PRIVATE core gtest_main)
add_dependencies(e2e_tests Vendrake)
vendrake_add_test(e2e_tests)
