set(ZELK_PERIODS_FIXTURE ${CMAKE_CURRENT_LIST_DIR}/Books.cpp)
zelk_core_test(test_periods
  ${ZELK_PERIODS_FIXTURE}
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioTest.cpp
)
