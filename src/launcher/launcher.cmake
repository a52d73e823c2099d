# The launcher: its window, the supervision of the panel processes, the operation log and the
# COM selection and option dialogs (the parts without widgets: launcher_core.cmake).
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CComboBoxCom.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CVantrelDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgComSel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clsDlgOption.cpp
    ${CMAKE_CURRENT_LIST_DIR}/operation_log.cpp
)
