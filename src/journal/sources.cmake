target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TransactionEntry.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmLedgerTrx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmLedgerTrxs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
