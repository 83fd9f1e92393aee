set(ZELK_PERIODS_FIXTURE ${CMAKE_CURRENT_LIST_DIR}/Books.cpp)
zelk_core_test(test_periods
  ${ZELK_PERIODS_FIXTURE}
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PostingTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonthEndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/YearEndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RollbackTest.cpp
)
