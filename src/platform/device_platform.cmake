# The COM port folder, the termios layer and the TCP layer under the serial link.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/com_ports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fd_wait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_port.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tcp_socket.cpp
)
