vantrel_add_test(instance_lock_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/instance_lock_test.cpp)
