zelk_ui_test(test_shell ${CMAKE_CURRENT_LIST_DIR}/ShellTest.cpp)
