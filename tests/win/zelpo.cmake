# Zelpo.dll, linked through its import library as the program links it.
add_executable(zelpo_tests ${CMAKE_CURRENT_LIST_DIR}/ZelpoTest.cpp)
target_link_libraries(zelpo_tests PRIVATE Zelpo gtest_main)
target_include_directories(zelpo_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/fixtures)
vendrake_add_test(zelpo_tests)
# It moves the real cursor and owns the named shared record while it runs.
set_tests_properties(zelpo_tests PROPERTIES RUN_SERIAL TRUE)
