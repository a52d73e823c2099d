target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/app_icon.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_template.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posted_event.cpp
    ${CMAKE_CURRENT_LIST_DIR}/termination_signals.cpp
)
