# GoogleTest from Debian's source package, built with the project's compiler
# (cross-built for Windows, or natively for the host preset).
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)

add_library(mirravon_gtest_main INTERFACE)
target_link_libraries(mirravon_gtest_main INTERFACE GTest::gtest_main GTest::gmock)
