# Settings every target of the project shares.
function(vexor_target_defaults target)
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
  if(VEXOR_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One test executable per QtTest class; every test gets a time-out because a modal dialog
# that nobody answers never returns.
function(vexor_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  vexor_target_defaults(${name})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  # Each test program has a home of its own: tests run in parallel, and two programs sharing
  # one "ayar.ini" (or one settings, data or cache folder) would fill each other's log-in boxes.
  set(home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache ${home}/runtime)
  file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;XDG_RUNTIME_DIR=${home}/runtime")
endfunction()

# Source lists name the files a folder is meant to hold; a file that is not written yet is
# skipped so that the tree configures while a folder is being filled.
function(vexor_existing out)
  set(result)
  foreach(f ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${f})
      list(APPEND result ${f})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
