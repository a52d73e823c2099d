# The yardstick for 1 ms polling threads (a bare thread sleeping 1 ms in a loop), for any
# benchmark to run beside the thread it measures.
add_library(vantrel_bench_bare_loop STATIC ${CMAKE_CURRENT_LIST_DIR}/bare_loop.cpp)
target_include_directories(vantrel_bench_bare_loop PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vantrel_bench_bare_loop PUBLIC Threads::Threads)

# The launcher's costs: a line appended to a full log, and its CPU use with four idle channels
# over 10 s next to the bare loop.
add_executable(launcher_bench ${CMAKE_CURRENT_LIST_DIR}/launcher_bench.cpp)
target_link_libraries(launcher_bench PRIVATE vantrel_ui vantrel_bench_bare_loop benchmark::benchmark)
