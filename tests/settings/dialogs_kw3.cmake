# The resizable dialog base: anchors, size limits, position and size in the ini; the modeless
# variant's creation, hiding and self-deletion.
vantrel_add_test(dialog_kw3_test QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialog_kw3_test.cpp)
