# The graph window: recording, scrolling, time scale, layout and placement; its button and list.
vantrel_add_test(graph_window_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/graph_window_test.cpp QT)
