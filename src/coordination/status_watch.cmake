#Waking this process's waiting threads when a status word changes.
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR} / status_watch.cpp)
