zelk_core_test(test_rpt_util ${CMAKE_CURRENT_LIST_DIR}/RptUtilTest.cpp)
zelk_core_test(test_rpt_reader ${CMAKE_CURRENT_LIST_DIR}/RtfReaderTest.cpp)
zelk_core_test(test_rpt_build
  ${CMAKE_CURRENT_LIST_DIR}/ReportBuildTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LedgerFixture.cpp)
target_compile_definitions(test_rpt_build PRIVATE
  ZELK_REPORTS_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")
zelk_ui_test(test_rpt_windows
  ${CMAKE_CURRENT_LIST_DIR}/ReportWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LedgerFixture.cpp)
target_compile_definitions(test_rpt_windows PRIVATE
  ZELK_REPORTS_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")
