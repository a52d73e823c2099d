# Starting programs as child processes (posix_spawn, Windows-style results, reaping).
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/process_spawn.cpp
)
