# 64-bit Windows programs inside the 32-bit build: stand-ins for the programs
# that surround the deliverables on a 64-bit Windows, where the deliverables run
# under WOW64. The toolchain is i686, so the x86_64 compiler is called directly,
# with the project's standard, build-type flags, definitions, options and
# warnings, and linked statically like every other program here.
#
# mirravon_add_program64(NAME <target> OUTPUT <file.exe> SOURCES ... [INCLUDES ...] [LIBS ...] [LINK_OPTIONS ...])
#   INCLUDES: header folders (header-only helpers such as common/include; no library is linked).
#   LIBS: Windows import libraries by name (advapi32, user32, ...).
# Builds <file.exe> as part of ALL; other targets can depend on <target>.
find_program(MINGW64_CXX x86_64-w64-mingw32-g++-posix REQUIRED)

function(mirravon_add_program64)
  cmake_parse_arguments(P "" "NAME;OUTPUT" "SOURCES;INCLUDES;LIBS;LINK_OPTIONS" ${ARGN})
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  separate_arguments(flags UNIX_COMMAND "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}}")
  separate_arguments(link_flags UNIX_COMMAND "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${config}}")
  get_directory_property(definitions COMPILE_DEFINITIONS)
  get_directory_property(options COMPILE_OPTIONS)
  get_directory_property(directory_link_options LINK_OPTIONS)
  list(TRANSFORM definitions PREPEND -D)
  list(TRANSFORM P_LIBS PREPEND -l)
  list(TRANSFORM P_INCLUDES PREPEND -I)
  set(compile ${CMAKE_CXX_COMPILER_LAUNCHER} ${MINGW64_CXX} -std=c++${CMAKE_CXX_STANDARD} ${flags} ${definitions}
      ${options} ${P_INCLUDES} ${MIRRAVON_WARNINGS})

  set(objects)
  foreach(source IN LISTS P_SOURCES)
    get_filename_component(source ${source} ABSOLUTE)
    get_filename_component(name ${source} NAME)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${P_NAME}.dir/${name}.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${compile} -MD -MF ${object}.d -c ${source} -o ${object}
      DEPENDS ${source}
      DEPFILE ${object}.d
      COMMENT "Building 64-bit object ${name}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()

  get_filename_component(folder ${P_OUTPUT} DIRECTORY)
  add_custom_command(OUTPUT ${P_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${MINGW64_CXX} ${flags} ${link_flags} ${directory_link_options} ${P_LINK_OPTIONS}
            -o ${P_OUTPUT} ${objects} ${P_LIBS}
    DEPENDS ${objects}
    COMMENT "Linking 64-bit program ${P_OUTPUT}"
    VERBATIM)
  add_custom_target(${P_NAME} ALL DEPENDS ${P_OUTPUT})
endfunction()
