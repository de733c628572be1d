# The page inspection against the fake page and browser: the document lookup, hit
# test, IFRAME follow-up, toolbar and preview, and the main window's wiring.
add_executable(inspect_tests
  ${CMAKE_CURRENT_LIST_DIR}/InspectTestHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InspectDocumentTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InspectHitTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InspectFrameTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InspectToolbarTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InspectMainFormTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
)
target_link_libraries(inspect_tests PRIVATE app fixtures gtest_main)
vendrake_add_test(inspect_tests)
