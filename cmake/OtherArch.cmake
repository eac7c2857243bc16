# Programs and DLLs of the other architecture inside a tree: the stand-ins for
# what surrounds the deliverables when the other kind of process is around them.
# The 32-bit tree makes 64-bit ones (the deliverables under WOW64 beside 64-bit
# programs), the 64-bit tree 32-bit ones (the x64 libraries beside 32-bit tools,
# servers and pipe peers). The tree's toolchain is the wrong one, so the other
# MinGW compiler is called directly, with the project's standard, build-type
# flags, definitions, options and warnings, and linked statically like every
# other program here.
#
# mirravon_add_other_arch(NAME <target> OUTPUT <file.exe|file.dll> SOURCES ... [SHARED]
#                         [INCLUDES ...] [DEFINITIONS ...] [LIBS ...] [LINK_OPTIONS ...])
#   SHARED: a DLL (its exports under their undecorated names, as --kill-at gives them).
#   INCLUDES: header folders (header-only helpers such as common/include; no library is linked).
#   LIBS: Windows import libraries by name (advapi32, user32, ...).
# Builds OUTPUT as part of ALL; other targets can depend on <target>.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MIRRAVON_OTHER_ARCH i686)
else()
  set(MIRRAVON_OTHER_ARCH x86_64)
endif()
find_program(MIRRAVON_OTHER_CXX ${MIRRAVON_OTHER_ARCH}-w64-mingw32-g++-posix REQUIRED)

function(mirravon_add_other_arch)
  cmake_parse_arguments(P "SHARED" "NAME;OUTPUT" "SOURCES;INCLUDES;DEFINITIONS;LIBS;LINK_OPTIONS" ${ARGN})
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  separate_arguments(flags UNIX_COMMAND "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}}")
  if(P_SHARED)
    separate_arguments(link_flags UNIX_COMMAND "${CMAKE_SHARED_LINKER_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS_${config}}")
    list(APPEND link_flags -shared -Wl,--kill-at)
  else()
    separate_arguments(link_flags UNIX_COMMAND "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${config}}")
  endif()
  get_directory_property(definitions COMPILE_DEFINITIONS)
  get_directory_property(options COMPILE_OPTIONS)
  get_directory_property(directory_link_options LINK_OPTIONS)
  list(REMOVE_ITEM directory_link_options ${MIRRAVON_LINK_OPTIONS64})
  if(MIRRAVON_OTHER_ARCH STREQUAL x86_64)
    list(APPEND directory_link_options ${MIRRAVON_LINK_OPTIONS64})
  endif()
  list(APPEND definitions ${P_DEFINITIONS})
  list(TRANSFORM definitions PREPEND -D)
  list(TRANSFORM P_LIBS PREPEND -l)
  list(TRANSFORM P_INCLUDES PREPEND -I)
  set(compile ${CMAKE_CXX_COMPILER_LAUNCHER} ${MIRRAVON_OTHER_CXX} -std=c++${CMAKE_CXX_STANDARD} ${flags}
      ${definitions} ${options} ${P_INCLUDES} ${MIRRAVON_WARNINGS})

  set(objects)
  foreach(source IN LISTS P_SOURCES)
    get_filename_component(source ${source} ABSOLUTE)
    get_filename_component(name ${source} NAME)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${P_NAME}.dir/${name}.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${compile} -MD -MF ${object}.d -c ${source} -o ${object}
      DEPENDS ${source}
      DEPFILE ${object}.d
      COMMENT "Building ${MIRRAVON_OTHER_ARCH} object ${name}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()

  get_filename_component(folder ${P_OUTPUT} DIRECTORY)
  add_custom_command(OUTPUT ${P_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${MIRRAVON_OTHER_CXX} ${flags} ${link_flags} ${directory_link_options} ${P_LINK_OPTIONS}
            -o ${P_OUTPUT} ${objects} ${P_LIBS}
    DEPENDS ${objects}
    COMMENT "Linking ${MIRRAVON_OTHER_ARCH} ${P_OUTPUT}"
    VERBATIM)
  add_custom_target(${P_NAME} ALL DEPENDS ${P_OUTPUT})
endfunction()
