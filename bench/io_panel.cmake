# The I/O panel's refresh handler, which runs about a thousand times a second.
add_executable(io_panel_bench ${CMAKE_CURRENT_LIST_DIR}/io_panel_bench.cpp)
target_link_libraries(io_panel_bench PRIVATE vantrel_ui vantrel_testkit benchmark::benchmark)
