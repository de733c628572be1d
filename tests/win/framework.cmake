# The framework on real windows under Wine.
add_executable(framework_tests
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkApplicationTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkComponentTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkControlTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkGraphicsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkInputTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkMainMenuTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameworkMenuTimerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
)
target_link_libraries(framework_tests PRIVATE framework gtest_main)
vendrake_add_test(framework_tests)
