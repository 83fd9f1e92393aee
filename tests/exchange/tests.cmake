zelk_core_test(test_exchange
  ${CMAKE_CURRENT_LIST_DIR}/DataTableTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImportTest.cpp)
target_include_directories(test_exchange PRIVATE ${CSV_INCLUDE_DIR})
target_link_libraries(test_exchange PRIVATE ${CSV_LIBRARY})
zelk_core_test(test_cli ${CMAKE_CURRENT_LIST_DIR}/CliTest.cpp)
target_compile_definitions(test_cli PRIVATE ZELK_CLI="$<TARGET_FILE:zelk-cli>")
add_dependencies(test_cli zelk-cli)
zelk_ui_test(test_exchange_windows ${CMAKE_CURRENT_LIST_DIR}/ExchangeWindowsTest.cpp)
