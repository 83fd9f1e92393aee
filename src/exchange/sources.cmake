target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataTable.cpp
)
