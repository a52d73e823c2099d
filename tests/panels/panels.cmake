# Tests of the device panels: worker steps on real pseudo-terminals, the display arithmetic,
# the panels' windows and their life cycle.
add_library(vantrel_test_ptybox STATIC ${CMAKE_CURRENT_LIST_DIR}/pty_box.cpp)
target_link_libraries(vantrel_test_ptybox PUBLIC vantrel_test_support)

vantrel_add_test(panel_workers_test SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/panel_worker_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ad_worker_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/da_worker_test.cpp
    LIBS vantrel_test_boxsim vantrel_test_ptybox)

vantrel_add_test(panel_values_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/panel_values_test.cpp)
vantrel_add_test(panel_windows_test QT SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ad_panel_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/da_panel_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/panel_lifecycle_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/accessible_names_test.cpp
    LIBS vantrel_test_boxsim)

vantrel_add_test(panel_process_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/panel_process_test.cpp
    LIBS vantrel_test_boxsim)
add_dependencies(panel_process_test vantrel)
