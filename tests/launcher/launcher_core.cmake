# The launcher's parts without widgets, and starting programs.
vantrel_add_test(launcher_core_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/launcher_core_test.cpp)
vantrel_add_test(process_spawn_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/process_spawn_test.cpp)
