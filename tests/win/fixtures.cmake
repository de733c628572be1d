# The fake page and browser fixtures, driven the way the program drives them.
add_executable(fixture_tests ${CMAKE_CURRENT_LIST_DIR}/FixtureTest.cpp)
target_link_libraries(fixture_tests PRIVATE fixtures gtest_main)
# FlashControl.h only, to call the fake movie as the program does.
target_include_directories(fixture_tests PRIVATE ${PROJECT_SOURCE_DIR}/src/page)
vendrake_add_test(fixture_tests)
