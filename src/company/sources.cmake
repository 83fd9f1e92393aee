target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CompanySetup.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmCompany.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmNewCompany.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
