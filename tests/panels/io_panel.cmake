# Tests of the I/O panel: its worker step on real pseudo-terminals, and its window against
# simulated boxes.
vantrel_add_test(io_worker_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/io_worker_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)
vantrel_add_test(io_panel_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/io_panel_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)
