target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)

# The range selection dialogs of the history browsers.
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectMonthRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectMonthYearRange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSelectYearRange.cpp
)
