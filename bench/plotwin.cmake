# The A/D strip chart: one refresh with a full history (20001 samples on eight channels).
add_executable(plotwin_bench ${CMAKE_CURRENT_LIST_DIR}/plotwin_bench.cpp)
target_link_libraries(plotwin_bench PRIVATE plotwin Qt6::Widgets Qt6::Charts benchmark::benchmark)
