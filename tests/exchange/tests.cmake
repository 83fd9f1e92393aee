zelk_core_test(test_exchange ${CMAKE_CURRENT_LIST_DIR}/DataTableTest.cpp)
target_include_directories(test_exchange PRIVATE ${CSV_INCLUDE_DIR})
target_link_libraries(test_exchange PRIVATE ${CSV_LIBRARY})
