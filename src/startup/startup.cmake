# Start-up: the command line, the settings folder and files, the warning dialog and the
# application object that runs the role's dialog.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_paths.cpp
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CVantrelApp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RoleDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/application_setup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsMesDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/graph_setup.cpp
)
