target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TypedDate.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AccountCells.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommonControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DateField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryGrid.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ExchangeDialogs.cpp
)
