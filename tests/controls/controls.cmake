# The styled button, edit field and label on real widgets (offscreen).
vantrel_add_test(styled_controls_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/styled_controls_test.cpp QT)
