# The graph component's view logic, trace cache, CSV export and channel settings without a
# window, and the window's legend, pause/follow and CSV button on the offscreen platform.
vantrel_add_test(plotwin_data_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_data_test.cpp
    LIBS plotwin)
vantrel_add_test(plotwin_features_test QT
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_features_test.cpp LIBS plotwin Qt6::Charts)
