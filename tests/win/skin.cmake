# The skin library under Wine: style helpers on real bitmaps and windows, the
# built-in pictures from the resources, theme files made by the writer.
add_executable(skin_tests
  ${CMAKE_CURRENT_LIST_DIR}/SkinHelpersTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinNineSliceRouteTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinBuiltInTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinControlsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinFormTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinMainMenuTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinPopupMenuTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinTitleBarTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinThemeFileTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc
)
target_link_libraries(skin_tests PRIVATE skin gtest_main)
vendrake_use_skin_pictures(skin_tests ${PROJECT_SOURCE_DIR}/resources/SkinPictures.rc)
vendrake_add_test(skin_tests)
