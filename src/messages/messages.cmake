# The bilingual message catalog.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/bounded_copy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MesTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mes_texts.cpp
)
