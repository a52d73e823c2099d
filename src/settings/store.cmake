# The loads and saves of the Option section and the range keys.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
)
