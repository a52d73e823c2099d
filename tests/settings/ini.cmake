# Ini files: the profile reader and writer, iniacs, the settings store.
vantrel_add_test(profile_file_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp)
vantrel_add_test(iniacs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/iniacs_test.cpp)
vantrel_add_test(ini_edit_property_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini_edit_property_test.cpp)
vantrel_add_test(settings_store_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_store_test.cpp)
