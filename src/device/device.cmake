# The device link: the serial link, the box protocol and the identification.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SerialLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/box_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/identify_box.cpp
)
