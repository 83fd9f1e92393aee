zelk_core_test(test_rpt_util ${CMAKE_CURRENT_LIST_DIR}/RptUtilTest.cpp)
