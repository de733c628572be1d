# The page inspection against the fake page and browser: the document lookup, hit
# test, IFRAME follow-up, toolbar and preview, and the main window's wiring.
add_executable(page_tests
  ${CMAKE_CURRENT_LIST_DIR}/PageTestHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageDocumentTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageHitTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageFrameTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageToolbarTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageMainFormTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageWalkTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageGrabAllTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchFakeCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${PROJECT_SOURCE_DIR}/tests/fixtures/MovieMaker.cpp
  ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc
)
target_link_libraries(page_tests PRIVATE app fixtures gtest_main ws2_32 shell32)
vendrake_use_skin_pictures(page_tests ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc)
vendrake_add_test(page_tests)
