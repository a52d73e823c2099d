# The I/O panel: its worker step needs no widget; the window joins the UI library.
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IoWorker.cpp)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgIO.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgIO.h
)
