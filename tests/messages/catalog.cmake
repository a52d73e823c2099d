# The message catalog.
vantrel_add_test(mes_table_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/mes_table_test.cpp)
