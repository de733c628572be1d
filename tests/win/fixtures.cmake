# The fake page and browser fixtures, driven the way the program drives them.
add_executable(fixture_tests ${CMAKE_CURRENT_LIST_DIR}/FixtureTest.cpp)
target_link_libraries(fixture_tests PRIVATE fixtures gtest_main)
vendrake_add_test(fixture_tests)
