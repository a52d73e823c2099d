# How the workers wait between steps: each time rule at its edge on a clock the test moves, each
# source that wakes a waiting worker, and the pace.
vantrel_add_test(panel_waits_test SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/time_edges_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wake_sources_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)
