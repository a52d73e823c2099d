# The dialog bases that swallow Enter and Escape and remember their placement.
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CDialogKw.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CDialogKw2.cpp
)
