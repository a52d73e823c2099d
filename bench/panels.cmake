# The panels' costs: one A/D display refresh of the eight inputs, and how long the window waits
# for its worker to stop.
add_executable(panels_bench ${CMAKE_CURRENT_LIST_DIR}/panels_bench.cpp)
target_link_libraries(panels_bench PRIVATE vantrel_core benchmark::benchmark)
