# The device link: the serial link with its network transport (telnet and RFC 2217), the box
# protocol and the identification.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SerialLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/box_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/identify_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/network_port.cpp
    ${CMAKE_CURRENT_LIST_DIR}/telnet_codec.cpp
)
