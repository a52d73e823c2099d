# The Debian package. package_build runs scripts/package (a fresh Release build) into a folder of
# this build; its place inside the tree stays the same from run to run, so the compiler cache
# serves the rebuild. package_test then lists, unpacks and runs what it made. Everything here
# carries the label "package" (ctest -LE package leaves it out, as the sanitizer runs do).
# The package folder is emptied first, so a .deb of an earlier run never stands in for this one.
add_test(NAME package_build
    COMMAND sh -c "rm -rf \"$2\" && exec \"$0\" --build-dir \"$1\" --output-dir \"$2\""
            ${PROJECT_SOURCE_DIR}/scripts/package ${CMAKE_BINARY_DIR}/package-build
            ${CMAKE_BINARY_DIR}/package)
set_tests_properties(package_build PROPERTIES
    FIXTURES_SETUP vantrel_package LABELS package TIMEOUT 1800)

vantrel_add_test(package_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/package_test.cpp ${CMAKE_CURRENT_LIST_DIR}/installed_tree.cpp
    PROPERTIES FIXTURES_REQUIRED vantrel_package LABELS package TIMEOUT 300)
target_compile_definitions(package_test PRIVATE
    VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANTREL_BUILD_DIR="${CMAKE_BINARY_DIR}"
    VANTREL_PACKAGE_DIR="${CMAKE_BINARY_DIR}/package/"
    VANTREL_VERSION_TEXT="${PROJECT_VERSION}"
    VANTREL_TRIPLET="${CMAKE_LIBRARY_ARCHITECTURE}")
