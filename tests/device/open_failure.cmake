# A COM port that cannot be opened: the system's reason kept and put into words.
vantrel_add_test(open_failure_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/open_failure_test.cpp
    LIBS vantrel_test_boxsim)
