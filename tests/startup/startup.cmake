vantrel_add_test(command_line_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp)
vantrel_add_test(settings_paths_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_paths_test.cpp)
vantrel_add_test(mes_dlg_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/mes_dlg_test.cpp)
