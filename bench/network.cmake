# A command and its reply over a network entry (ser2net on loopback) beside the local pty.
add_executable(network_bench ${CMAKE_CURRENT_LIST_DIR}/network_bench.cpp)
target_link_libraries(network_bench PRIVATE vantrel_core vantrel_testkit benchmark::benchmark)
add_dependencies(network_bench qvx-boxsim)
