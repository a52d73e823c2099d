# The graph component's parts (sample ring, placement file) and its strip-chart window.
vantrel_add_test(plotwin_parts_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_parts_test.cpp
    LIBS plotwin)
vantrel_add_test(plotwin_window_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_window_test.cpp
    LIBS plotwin Qt6::Charts)
