# The I/O panel: its worker step needs no widget.
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IoWorker.cpp)
