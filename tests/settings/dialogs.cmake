# The dialog bases: key swallowing, placement ini, restoring and saving the position.
vantrel_add_test(dialog_kw_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_kw_test.cpp)
