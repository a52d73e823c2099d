# Whole-program figures (scripts/figures gathers them into docs/FIGURES.md): the real vantrel
# and qvx-boxsim as child processes, CPU beside a bare 1 ms sleep loop process, memory, I/O poll
# rate and the end of four panels after SIGTERM to their launcher.
add_library(vantrel_bench_proc STATIC ${CMAKE_CURRENT_LIST_DIR}/proc_support.cpp)
target_include_directories(vantrel_bench_proc PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vantrel_bench_proc PUBLIC vantrel_testkit)

add_executable(process_figures ${CMAKE_CURRENT_LIST_DIR}/process_figures.cpp)
target_link_libraries(process_figures PRIVATE vantrel_bench_proc statlink)
add_dependencies(process_figures vantrel qvx-boxsim)

# Click to command latency: the real panel in this process, its buttons clicked, the command's
# arrival taken from the simulator's time-stamped log.
add_executable(click_latency_bench ${CMAKE_CURRENT_LIST_DIR}/click_latency.cpp)
target_link_libraries(click_latency_bench PRIVATE vantrel_ui vantrel_bench_proc statlink)
add_dependencies(click_latency_bench qvx-boxsim)

# Memory of the A/D panel with a full strip-chart history, the panel in this process.
add_executable(ad_memory_bench ${CMAKE_CURRENT_LIST_DIR}/ad_memory.cpp)
target_link_libraries(ad_memory_bench PRIVATE vantrel_ui vantrel_bench_proc statlink)
add_dependencies(ad_memory_bench qvx-boxsim)

# A panel as vantrel runs it, with one click made once it runs (the I/O panel's interrupt mode).
add_executable(panel_click_host ${CMAKE_CURRENT_LIST_DIR}/panel_click_host.cpp)
target_link_libraries(panel_click_host PRIVATE vantrel_ui statlink)
add_dependencies(process_figures panel_click_host)
