# Faults with real processes: boxes unplugged under running panels, a panel killed under its
# launcher, the launcher ended with four panels running, settings that cannot be written.
add_executable(vantrel-panel-host ${CMAKE_CURRENT_LIST_DIR}/panel_host.cpp)
target_link_libraries(vantrel-panel-host PRIVATE vantrel_ui)

vantrel_add_test(fault_process_test SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/unplugged_box_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/launcher_fault_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_fault_test.cpp
    LIBS vantrel_test_boxsim)
add_dependencies(fault_process_test vantrel vantrel-panel-host)
