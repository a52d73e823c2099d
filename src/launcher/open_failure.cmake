# The launcher's log note for a panel that could not open its port.
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/open_failure_note.cpp)
