# The installed program: `cmake --install` of this build into a temporary prefix, and the
# installed launcher and panel run from there.
vantrel_add_test(install_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/install_test.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/installed_tree.cpp)
target_compile_definitions(install_test PRIVATE
    VANTREL_CMAKE_COMMAND="${CMAKE_COMMAND}"
    VANTREL_BUILD_DIR="${CMAKE_BINARY_DIR}"
    VANTREL_INSTALL_LIBDIR="${VANTREL_PRIVATE_LIBDIR}"
    VANTREL_INSTALL_BINDIR="${CMAKE_INSTALL_BINDIR}"
    VANTREL_INSTALL_DATADIR="${CMAKE_INSTALL_DATADIR}")
# Everything the installation copies must be built before the test runs.
add_dependencies(install_test vantrel qvx-boxsim qvx statlink hostprep plotwin)

# The demo of scripts/run on this build.
vantrel_add_test(demo_script_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_test.cpp)
target_compile_definitions(demo_script_test PRIVATE
    VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANTREL_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(demo_script_test vantrel qvx-boxsim)
