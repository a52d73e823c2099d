# Start-up: the command line, the settings folder and files, the warning dialog and the
# application object that runs the role's dialog.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_checks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/graph_seed_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_paths.cpp
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CVantrelApp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RoleDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/application_setup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsMesDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/graph_setup.cpp
)
# The seed's data folder as the install rules lay it out (GNUInstallDirs).
file(RELATIVE_PATH vantrel_data_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/vantrel)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/graph_seed_file.cpp
    TARGET_DIRECTORY vantrel_core PROPERTIES
    COMPILE_DEFINITIONS "VANTREL_DATA_FROM_BINDIR=\"${vantrel_data_from_bindir}/\"")
