zelk_core_test(test_company_logic
  ${CMAKE_CURRENT_LIST_DIR}/CompanySetupTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../accounts/LedgerFixtures.cpp)
zelk_ui_test(test_company_windows
  ${CMAKE_CURRENT_LIST_DIR}/CompanyWindowsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../accounts/LedgerFixtures.cpp)
