# The words for a COM port that could not be opened, shared by the panels and the launcher.
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/open_failure.cpp)
