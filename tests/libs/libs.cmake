vantrel_add_test(statlink_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/statlink_test.cpp LIBS statlink)
vantrel_add_test(hostprep_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/hostprep_test.cpp LIBS hostprep)
vantrel_add_test(plotwin_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwin_test.cpp LIBS plotwin)
