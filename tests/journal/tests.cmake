zelk_core_test(test_journal_logic
  ${CMAKE_CURRENT_LIST_DIR}/TransactionEntryTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../accounts/LedgerFixtures.cpp)
zelk_ui_test(test_journal_windows
  ${CMAKE_CURRENT_LIST_DIR}/JournalWindowsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../accounts/LedgerFixtures.cpp)
