# The graph window of the I/O panel and its two small controls.
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CButtonFlag.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CButtonFlag.h
    ${CMAKE_CURRENT_LIST_DIR}/CComboBoxTime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CComboBoxTime.h
    ${CMAKE_CURRENT_LIST_DIR}/CDlgIoGraph.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CDlgIoGraph.h
)
