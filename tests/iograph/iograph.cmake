# The signal history on its own (no Qt), and the timing chart painted into images.
vantrel_add_test(signal_history_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/signal_history_test.cpp)
vantrel_add_test(chart_paint_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/chart_paint_test.cpp QT)
vantrel_add_test(scroll_bar_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/scroll_bar_test.cpp QT)
