# Profile (ini) files: the integer reader, the write-through writer and safe file replacement,
# with the buffered ini writer (src/settings/iniacs.cmake). A library of its own, with no
# dependency beyond the C++ library and POSIX, so that the graph component (a shared library)
# uses the same code as the program.
add_library(vantrel_profile STATIC ${CMAKE_CURRENT_LIST_DIR}/profile_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/profile_lines.cpp)
set_target_properties(vantrel_profile PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(vantrel_profile PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(vantrel_core PUBLIC vantrel_profile)
