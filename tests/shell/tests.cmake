zelk_ui_test(test_shell ${CMAKE_CURRENT_LIST_DIR}/ShellTest.cpp)
zelk_ui_test(test_tool_window ${CMAKE_CURRENT_LIST_DIR}/ToolWindowTest.cpp)
target_compile_definitions(test_shell PRIVATE ZELK_README="${PROJECT_SOURCE_DIR}/README.md")
