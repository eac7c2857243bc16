# Warnings as errors for the project's own code; third-party code is built without them.
set(MIRRAVON_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
function(project_warnings target)
  target_compile_options(${target} PRIVATE ${MIRRAVON_WARNINGS})
endfunction()

if(WIN32)
  # Unicode-agnostic Win32 headers: the code names the A or W function it means.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Reproducible binaries: no link time stamp, no build or source folder inside.
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=src -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  # Hardening. Stack protection takes its guard and failure handler from libssp,
  # linked statically like the rest of the runtime (the link is -static); they
  # call only advapi32 and msvcrt, which every deliverable imports anyway. ASLR
  # and DEP are this linker's defaults; they are named so that another binutils
  # cannot drop them silently, and an exe keeps the relocations without which
  # Windows cannot move it.
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat -Wl,--enable-reloc-section)
  # A 64-bit image may also be placed anywhere in its address space (high-entropy
  # ASLR); the option exists only for x86-64 images.
  set(MIRRAVON_LINK_OPTIONS64 -Wl,--high-entropy-va)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(${MIRRAVON_LINK_OPTIONS64})
  endif()
endif()

# A Windows test program: built for Windows and run by CTest under Wine.
# On the host preset the same call makes a native test program.
# mirravon_add_test(NAME <name> SOURCES ... [LIBS ...] [ARGS ...] [OWN_MAIN])
# OWN_MAIN: the sources define main() (to read arguments) instead of gtest_main.
function(mirravon_add_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  project_warnings(${T_NAME})
  if(T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock mirravon_testing)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} mirravon_gtest_main mirravon_testing)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${T_ARGS})
  if(WIN32)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

if(WIN32)
  # Keeps one wineserver up for the whole test run, in this tree's private prefix
  # of the architecture that MIRRAVON_WINEARCH names (the 32-bit one by default).
  add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-run --start)
  add_test(NAME wine.stop COMMAND ${CMAKE_BINARY_DIR}/wine-run --stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 3600)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
  # The set-up on a machine that has never seen the project: no template, no folders.
  # wine-run is the same script in the 64-bit tree; its 32-bit tree's 64-bit pass covers win64.
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME wine.fresh_machine
             COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/wine-run-test.sh ${CMAKE_BINARY_DIR}/wine-run)
    set_tests_properties(wine.fresh_machine PROPERTIES TIMEOUT 3600)
  endif()
endif()
