zelk_core_test(test_accounts_logic
  ${CMAKE_CURRENT_LIST_DIR}/AccountRecordsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListModelTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LedgerFixtures.cpp)
zelk_ui_test(test_accounts_windows
  ${CMAKE_CURRENT_LIST_DIR}/AccountWindowsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LedgerFixtures.cpp)
