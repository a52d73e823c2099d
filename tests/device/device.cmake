# qvx-boxsim as a child process for tests (testkit's BoxSim); other folders' tests link it by
# name, so that the simulator is built before them.
add_library(vantrel_test_boxsim INTERFACE)
target_link_libraries(vantrel_test_boxsim INTERFACE vantrel_test_support)
add_dependencies(vantrel_test_boxsim qvx-boxsim)

vantrel_add_test(box_commands_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/box_commands_test.cpp)
vantrel_add_test(serial_link_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_link_test.cpp)
vantrel_add_test(identify_box_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/identify_box_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)
vantrel_add_test(boxsim_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/boxsim_test.cpp
    LIBS vantrel_test_boxsim)
vantrel_add_test(network_port_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/network_port_test.cpp
    LIBS vantrel_test_boxsim)
vantrel_add_test(network_panels_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/network_panels_test.cpp
    LIBS vantrel_test_boxsim)
add_dependencies(network_panels_test vantrel-panel-host)
vantrel_add_test(telnet_codec_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/telnet_codec_test.cpp)
