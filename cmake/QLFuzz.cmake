# The fuzz build (-DQL_FUZZ=ON with clang, in a build folder of its own):
# every project library is instrumented for libFuzzer and built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the targets in fuzz/
# are added. Any sanitizer report ends the process, so it counts as a crash.

option(QL_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)
set(QL_FUZZ_TARGETS OFF)
if(QL_FUZZ)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND NOT QL_WINDOWS)
    set(QL_FUZZ_TARGETS ON)
    set(QL_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
    add_compile_options(-fsanitize=fuzzer-no-link ${QL_SANITIZERS} -fno-omit-frame-pointer)
    add_link_options(${QL_SANITIZERS})
  else()
    message(WARNING "QL_FUZZ needs clang for a native build; the fuzz targets are not built")
  endif()
endif()
