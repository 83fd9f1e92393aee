target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataTable.cpp
)
target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BooksExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CsvImport.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/frmImport.cpp
)
