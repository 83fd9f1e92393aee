target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AccountLookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AccountRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListDeletion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListSortFilter.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ListWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmLedgerAccount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmLedgerAccounts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
