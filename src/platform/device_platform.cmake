# The COM port folder and the termios layer under the serial link.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/com_ports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_port.cpp
)
