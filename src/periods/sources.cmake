target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PeriodRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PostingRuns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonthEndRuns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YearEndRuns.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmPeriodRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmPeriodWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmEarningAccounts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
