# The launcher window and its dialogs with real panel processes: a stand-in panel that talks
# through the status words, and a launcher process for the signal tests.
add_executable(vantrel-fake-panel ${CMAKE_CURRENT_LIST_DIR}/fake_panel.cpp)
target_link_libraries(vantrel-fake-panel PRIVATE vantrel_core)

add_executable(vantrel-launcher-host ${CMAKE_CURRENT_LIST_DIR}/launcher_host.cpp)
target_link_libraries(vantrel-launcher-host PRIVATE vantrel_ui)

vantrel_add_test(launcher_window_test QT SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/launcher_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/launcher_test_support.cpp)
add_dependencies(launcher_window_test vantrel-fake-panel)

vantrel_add_test(launcher_signal_test QT SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/launcher_signal_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/launcher_test_support.cpp)
add_dependencies(launcher_signal_test vantrel vantrel-fake-panel vantrel-launcher-host)
