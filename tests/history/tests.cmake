zelk_core_test(test_history_core
  ${CMAKE_CURRENT_LIST_DIR}/HistoryBrowserTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryFixture.cpp
)
