#Waking waiting threads at once(eventfd).
target_sources(vantrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR} / waker.cpp)
