add_executable(statlink_bench ${CMAKE_CURRENT_LIST_DIR}/statlink_bench.cpp)
target_link_libraries(statlink_bench PRIVATE statlink benchmark::benchmark)
