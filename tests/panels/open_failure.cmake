# Panels whose port cannot be opened: the reason shown and kept for the launcher.
vantrel_add_test(panel_open_failure_test QT SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/open_failure_panel_test.cpp
    LIBS vantrel_test_boxsim)
