# The device panels: the shared life cycle and the A/D and D/A panels. The workers and the
# display arithmetic need no widget and live in vantrel_core.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AdWorker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DaWorker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PanelWorker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ad_values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_locale_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/da_values.cpp
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgAD.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgAD.h
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgDA.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgDA.h
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgPanel.h
)
