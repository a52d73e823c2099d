# The log line of a panel that could not open its port, with the system's reason.
vantrel_add_test(launcher_open_failure_test QT SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/open_failure_log_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/launcher_test_support.cpp)
add_dependencies(launcher_open_failure_test vantrel)
