target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ReportRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RptBalanceSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RptIncomeStmt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RptTrialBalance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RptTrxList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RtfReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modRptUtil.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ReportDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmRptOption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)

# The range selection dialogs of the history browsers.
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectMonthRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectMonthYearRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectYearRange.cpp
)
