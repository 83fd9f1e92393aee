target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AccountCardReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryGrid.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmHistoryBrowser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectAccountRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
