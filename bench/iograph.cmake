# One full paint of the I/O timing chart (1001 samples, eight traces, 1280 x 720).
add_executable(iograph_bench ${CMAKE_CURRENT_LIST_DIR}/iograph_bench.cpp)
target_link_libraries(iograph_bench PRIVATE vantrel_ui benchmark::benchmark)
