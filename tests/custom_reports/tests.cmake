zelk_core_test(test_custom_report_logic ${CMAKE_CURRENT_LIST_DIR}/CustomReportLogicTest.cpp)
zelk_core_test(test_custom_report_print ${CMAKE_CURRENT_LIST_DIR}/CustomReportPrintTest.cpp)
target_compile_definitions(test_custom_report_print PRIVATE
  ZELK_CUSTOM_GOLDEN="${CMAKE_CURRENT_LIST_DIR}/golden")
zelk_ui_test(test_custom_report_windows ${CMAKE_CURRENT_LIST_DIR}/CustomReportWindowsTest.cpp)
