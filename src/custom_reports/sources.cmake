target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CustomReportDefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomReportPrint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CustomReportSums.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmCustomReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmCustomReportPrint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmCustomReports.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
