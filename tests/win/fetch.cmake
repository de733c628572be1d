# Retrieval: the framework's thread class, the URL cache walk (a fake cache and
# Wine's real one), URL splitting, the complete save, and downloads from the loopback server of
# tests/fixtures/http_server.py (its port in VENDRAKE_HTTP_PORT; without it the
# download tests are skipped).
add_executable(fetch_tests
  ${CMAKE_CURRENT_LIST_DIR}/FetchBundleTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchCacheTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchCrackUrlTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchDownloadTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchFakeCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FetchThreadTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${PROJECT_SOURCE_DIR}/tests/fixtures/MovieMaker.cpp
)
target_include_directories(fetch_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/fixtures)
target_link_libraries(fetch_tests PRIVATE fetch gtest_main ws2_32 shell32)
vendrake_add_test(fetch_tests)
