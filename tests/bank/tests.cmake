zelk_core_test(test_bank ${CMAKE_CURRENT_LIST_DIR}/BankTest.cpp)
target_compile_definitions(test_bank PRIVATE ZELK_BANK_DATA="${CMAKE_CURRENT_LIST_DIR}")
zelk_core_test(test_bank_cli ${CMAKE_CURRENT_LIST_DIR}/BankCliTest.cpp)
target_compile_definitions(test_bank_cli PRIVATE ZELK_CLI="$<TARGET_FILE:zelk-cli>"
                                                 ZELK_BANK_DATA="${CMAKE_CURRENT_LIST_DIR}")
add_dependencies(test_bank_cli zelk-cli)
