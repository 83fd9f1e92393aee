target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommonControls.cpp
)
target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ExchangeDialogs.cpp
)
