# Start-up's view of the platform: the executable's path, the single-instance lock, the display
# session and the application icon resource.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/display_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/module_path.cpp
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/../../resources/vantrel_icon.qrc
)
