# The graph component's sample ring, and its strip-chart window (placement in its settings
# file).
vantrel_add_test(plotwin_parts_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_parts_test.cpp
    LIBS plotwin)
vantrel_add_test(plotwin_window_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_window_test.cpp
    LIBS plotwin Qt6::Charts)
