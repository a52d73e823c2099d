# Costs of the settings loads and saves and of a catalog lookup.
add_executable(settings_bench ${CMAKE_CURRENT_LIST_DIR}/settings_bench.cpp)
target_link_libraries(settings_bench PRIVATE vantrel_core benchmark::benchmark)
