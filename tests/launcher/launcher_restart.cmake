# A launcher started again after the previous one closed under its panels, and a panel started by
# hand after that: real processes on a simulated box, the status words shared only by them.
vantrel_add_test(launcher_restart_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/launcher_restart_test.cpp
    LIBS vantrel_test_boxsim)
add_dependencies(launcher_restart_test vantrel vantrel-launcher-host)
