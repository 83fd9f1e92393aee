zelk_core_test(test_safekeeping ${CMAKE_CURRENT_LIST_DIR}/SafekeepingTest.cpp)
zelk_ui_test(test_safekeeping_windows ${CMAKE_CURRENT_LIST_DIR}/SafekeepingWindowsTest.cpp)
zelk_core_test(test_books_location ${CMAKE_CURRENT_LIST_DIR}/BooksLocationTest.cpp)
