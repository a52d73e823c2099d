# The resizable dialog base that remembers position and size, and its modeless variant.
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CDialogKw3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CDialogKw3.h
    ${CMAKE_CURRENT_LIST_DIR}/CDialogModelessKw3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CDialogModelessKw3.h
)
