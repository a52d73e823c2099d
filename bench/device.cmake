# The serial link's costs: an idle ReadByte, and one command/reply through qvx-boxsim.
add_executable(device_bench ${CMAKE_CURRENT_LIST_DIR}/device_bench.cpp)
target_link_libraries(device_bench PRIVATE vantrel_core benchmark::benchmark)
add_dependencies(device_bench qvx-boxsim)
