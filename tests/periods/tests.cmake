set(ZELK_PERIODS_FIXTURE ${CMAKE_CURRENT_LIST_DIR}/Books.cpp)
zelk_core_test(test_periods
  ${ZELK_PERIODS_FIXTURE}
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PostingTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonthEndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YearEndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RollbackTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CrashTest.cpp
)
zelk_ui_test(test_period_windows
  ${ZELK_PERIODS_FIXTURE}
  ${CMAKE_CURRENT_LIST_DIR}/PeriodWindowsTest.cpp
)
