# The launcher's parts without widgets: row and log texts, the posted-text ring, log lines, the
# supervision of the panel processes and the COM port list.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/child_supervision.cpp
    ${CMAKE_CURRENT_LIST_DIR}/com_port_choice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/launcher_texts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_lines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posted_text_ring.cpp
)
