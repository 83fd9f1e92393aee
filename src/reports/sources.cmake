target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ReportSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RtfReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modRptUtil.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)
