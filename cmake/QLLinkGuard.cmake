# Run after a shipped program's link (cmake -DMAP=... -DPROGRAM=... -P):
# fails, naming the library, and removes the program when its link map shows
# that the runtime's own objects were linked in place of the program's
# replacements: any object of the POSIX thread library, or the C++ library's
# object of throw helpers; or any object of the system's identifier library,
# whose one object holds every COM and folder identifier the headers know
# (the programs write out the few they use).
file(STRINGS ${MAP} lines REGEX "lib(win)?pthread\\.a\\(|libstdc\\+\\+\\.a\\(functexcept\\.o\\)|libuuid\\.a\\(")
set(found "")
foreach(line ${lines})
  string(REGEX MATCH "[^ /\\\\]*lib(win)?pthread\\.a\\([^)]*\\)|libstdc\\+\\+\\.a\\(functexcept\\.o\\)|libuuid\\.a\\([^)]*\\)"
    object "${line}")
  if(object)
    list(APPEND found ${object})
  endif()
endforeach()
if(found)
  list(REMOVE_DUPLICATES found)
  get_filename_component(name ${PROGRAM} NAME)
  set(why "")
  if(found MATCHES "pthread")
    string(APPEND why " the POSIX thread library (app/QLStdThreads.cpp no longer stands in for it)")
  endif()
  if(found MATCHES "functexcept")
    string(APPEND why " the C++ library's throw helpers (app/QLStdThrow.cpp no longer stands in for them)")
  endif()
  if(found MATCHES "libuuid")
    string(APPEND why " the system's identifier library (an identifier is no longer written out or taken with __uuidof)")
  endif()
  file(REMOVE ${PROGRAM})
  string(REPLACE ";" ", " objects "${found}")
  message(FATAL_ERROR "${name}: the link took in${why}: ${objects}")
endif()
