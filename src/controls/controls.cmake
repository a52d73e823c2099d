# Styled controls: buttons, edit fields and labels with their own fonts and fixed colours.
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CButtonEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CButtonEx.h
    ${CMAKE_CURRENT_LIST_DIR}/CEditEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CEditEx.h
    ${CMAKE_CURRENT_LIST_DIR}/CStaticEx.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CStaticEx.h
    ${CMAKE_CURRENT_LIST_DIR}/LogFont.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LogFont.h
    ${CMAKE_CURRENT_LIST_DIR}/color_ref.cpp
    ${CMAKE_CURRENT_LIST_DIR}/color_ref.h
)
