# JNI for 32-bit Windows: jni.h from the installed JDK, jni_md.h of our own.
# javac -h over java/ generates the headers the DLL sources include, so the
# compiler checks every export's signature against the Java declarations.
find_package(Java 17 REQUIRED COMPONENTS Development)
get_filename_component(_javac_real ${Java_JAVAC_EXECUTABLE} REALPATH)
get_filename_component(JDK_HOME ${_javac_real} DIRECTORY)
get_filename_component(JDK_HOME ${JDK_HOME} DIRECTORY)
if(NOT EXISTS ${JDK_HOME}/include/jni.h)
  message(FATAL_ERROR "jni.h not found under ${JDK_HOME}/include")
endif()

file(GLOB_RECURSE JAVA_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/*.java)
set(JNI_HEADER_DIR ${CMAKE_BINARY_DIR}/jni-headers)
set(JAVA_CLASS_DIR ${CMAKE_BINARY_DIR}/java-classes)
set(_pkg_pipe com_varnex_quorel_mirravon_testmanagement_drovix_common)
set(_pkg_os com_varnex_quorel_mirravon_testmanagement_services_repository_core)
set(JNI_HEADERS_PIPEJNI
    ${JNI_HEADER_DIR}/${_pkg_pipe}_NamedPipe.h
    ${JNI_HEADER_DIR}/${_pkg_pipe}_NamedPipeClient.h
    ${JNI_HEADER_DIR}/${_pkg_pipe}_DrovixNative.h)
set(JNI_HEADERS_OSJNI
    ${JNI_HEADER_DIR}/${_pkg_os}_OperatingSystemAPI.h
    ${JNI_HEADER_DIR}/${_pkg_os}_WindowsOperatingSystemAPI.h)
add_custom_command(
  OUTPUT ${JNI_HEADERS_PIPEJNI} ${JNI_HEADERS_OSJNI}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${JNI_HEADER_DIR} ${JAVA_CLASS_DIR}
  COMMAND ${Java_JAVAC_EXECUTABLE} --release 8 -Xlint:-options -h ${JNI_HEADER_DIR} -d ${JAVA_CLASS_DIR} ${JAVA_SOURCES}
  DEPENDS ${JAVA_SOURCES}
  COMMENT "Generating JNI headers with javac -h"
  VERBATIM)
add_custom_target(jni_headers DEPENDS ${JNI_HEADERS_PIPEJNI} ${JNI_HEADERS_OSJNI})

add_library(mirravon_jni INTERFACE)
target_include_directories(mirravon_jni SYSTEM INTERFACE
  ${PROJECT_SOURCE_DIR}/cmake/jni ${JDK_HOME}/include ${JNI_HEADER_DIR})
add_dependencies(mirravon_jni jni_headers)

# A JNI DLL: __stdcall exports under the undecorated names a 32-bit JVM looks up.
function(mirravon_jni_dll target)
  target_link_libraries(${target} PRIVATE mirravon_jni)
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  set_target_properties(${target} PROPERTIES PREFIX "")
endfunction()
