# The ini writer (write-through or buffered), part of the profile library (see
# src/platform/profile.cmake).
target_sources(vantrel_profile PRIVATE ${CMAKE_CURRENT_LIST_DIR}/iniacs.cpp)
