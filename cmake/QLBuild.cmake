# Compiler settings, GoogleTest and the test helpers shared by both builds.

set(QL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)

if(QL_WINDOWS)
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
  # Link the runtime statically: the programs need no MinGW DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Programs link the compiled code of the objects (see ql_target_defaults),
  # except those marked QL_WHOLE_PROGRAM, which are optimised as a whole.
  add_link_options($<$<NOT:$<BOOL:$<TARGET_PROPERTY:QL_WHOLE_PROGRAM>>>:-fno-lto>)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(QL_GTEST_MAIN gtest_main)
  include(${CMAKE_CURRENT_LIST_DIR}/QLRuntimeReplacements.cmake)
else()
  find_package(GTest REQUIRED)
  set(QL_GTEST_MAIN GTest::gtest_main)
endif()

# ql_target_defaults(target): warnings and include root for project targets.
function(ql_target_defaults target)
  target_compile_options(${target} PRIVATE ${QL_WARNINGS})
  if(QL_WINDOWS)
    # The setup is downloaded and copied as the uninstaller: small code,
    # and every function in a section of its own so the linker can drop
    # what the program never calls.
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
    # Each object carries its compiled code and the compiler's intermediate
    # form: the shipped programs are optimised as a whole at their link
    # (app/CMakeLists.txt), the test programs link the compiled code.
    target_compile_options(${target} PRIVATE -flto -ffat-lto-objects)
    # Function-local statics are set up without a lock: the program has one
    # user-interface thread, and the archive's decoder threads reach no
    # function-local static (keep it so). This saves 512 bytes itself; what
    # it really does is keep the POSIX thread library out: the runtime's
    # guard code for such statics calls that library, which then takes over
    # from the programs' own thread functions (+37,888 bytes). The link
    # guard (QLRuntimeReplacements.cmake) proves the library stays out, so
    # the flag goes with the replacements and their guard.
    if(QL_RUNTIME_REPLACEMENTS)
      target_compile_options(${target} PRIVATE -fno-threadsafe-statics)
    endif()
    # No path of the build machine in what ships.
    target_compile_options(${target} PRIVATE -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# ql_add_test(name SOURCES a.cpp ... LIBS lib ... [LOCKS resource ...] [GUI] [TIMEOUT s])
# One executable per test file, run by CTest (under Wine in the Windows build,
# where GUI tests get the virtual display the test script provides).
function(ql_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  ql_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${QL_GTEST_MAIN})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(QL_WINDOWS)
    # A program that dies under Wine can still end with exit code 0.
    set_tests_properties(${name} PROPERTIES FAIL_REGULAR_EXPRESSION "wine: Unhandled")
  endif()
  # Tests that share machine-wide state (the display, file-type keys, the
  # pending file operations) never run together.
  set(locks ${T_LOCKS})
  if(T_GUI)
    list(APPEND locks display)
    set_tests_properties(${name} PROPERTIES LABELS gui)
  endif()
  if(locks)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
endfunction()
