# Profile (ini) files: the integer reader, the write-through writer and safe file replacement.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/profile_file.cpp
)
