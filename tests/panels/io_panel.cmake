# Tests of the I/O panel's worker step on real pseudo-terminals.
vantrel_add_test(io_worker_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/io_worker_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)
