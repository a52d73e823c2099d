vantrel_add_test(com_ports_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/com_ports_test.cpp)
