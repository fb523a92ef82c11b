# The runtime replacements of the shipped programs (app/QLStdThrow,
# app/QLStdString, app/QLStdThreads): the few standard-library throw helpers,
# std::string's members and POSIX thread functions the programs need, defined
# by the programs themselves so that the runtime's larger objects stay out.
# They stand in for internals of one compiler release, checked here at
# configure time; with any other release the programs are built with the
# ordinary runtime. A link that takes the runtime's own objects in after all
# does not fail by itself (under link-time optimisation the library's
# definitions silently replace the program's), so the build of each program
# writes its link map and fails when the map shows them
# (cmake/QLLinkGuard.cmake).

# The release the replacements were written for: the compiler's version and
# the date of its C++ library.
set(QL_REPLACEMENTS_RELEASE "GNU 12.0.0 libstdc++ 20220819")

file(WRITE ${CMAKE_BINARY_DIR}/ql-libstdcxx-release.cpp "#include <cstddef>\nQL_RELEASE __GLIBCXX__\n")
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -E -P ${CMAKE_BINARY_DIR}/ql-libstdcxx-release.cpp
  OUTPUT_VARIABLE ql_release_line ERROR_QUIET)
string(REGEX MATCH "QL_RELEASE ([0-9]+)" ql_release_line "${ql_release_line}")
set(QL_COMPILER_RELEASE "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} libstdc++ ${CMAKE_MATCH_1}")
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The 64-bit test build (cmake/mingw-x86_64.cmake): the replacements
  # stand in for the 32-bit runtime's internals only.
  set(QL_RUNTIME_REPLACEMENTS OFF)
  message(STATUS "Runtime replacements: off (a 64-bit build)")
elseif(QL_COMPILER_RELEASE STREQUAL QL_REPLACEMENTS_RELEASE)
  set(QL_RUNTIME_REPLACEMENTS ON)
  message(STATUS "Runtime replacements: on (${QL_COMPILER_RELEASE})")
else()
  set(QL_RUNTIME_REPLACEMENTS OFF)
  message(WARNING "The compiler is ${QL_COMPILER_RELEASE}; the runtime replacements were written for "
    "${QL_REPLACEMENTS_RELEASE}. The shipped programs are built without them, with the ordinary runtime, "
    "and are larger.")
endif()

# ql_runtime_replacements(target): the replacements and the link guard for a
# shipped program, when the compiler is the one they were written for.
function(ql_runtime_replacements target)
  if(NOT QL_RUNTIME_REPLACEMENTS)
    return()
  endif()
  set(app ${PROJECT_SOURCE_DIR}/app)
  target_sources(${target} PRIVATE ${app}/QLStdThrow.cpp ${app}/QLStdString.cpp ${app}/QLStdThreads.cpp)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DPROGRAM=$<TARGET_FILE:${target}>
      -P ${PROJECT_SOURCE_DIR}/cmake/QLLinkGuard.cmake
    VERBATIM)
endfunction()
