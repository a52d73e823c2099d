# A second process that sets and reads status words for the cross-process tests.
add_executable(status_words_peer ${CMAKE_CURRENT_LIST_DIR}/status_words_peer.cpp)
target_link_libraries(status_words_peer PRIVATE vantrel_core)

vantrel_add_test(status_words_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/status_words_test.cpp)
add_dependencies(status_words_test status_words_peer)
