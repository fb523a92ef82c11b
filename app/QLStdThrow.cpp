#include "app/QLStdThrow.h"

#include <new>
#include <string>

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }

void __throw_bad_array_new_length() { throw bad_array_new_length(); }

void __throw_logic_error(const char*) { throw EQLLibraryError("invalid use of a library object"); }

void __throw_length_error(const char*) { throw EQLLibraryError("text or list too long"); }

void __throw_out_of_range_fmt(const char*, ...) { throw EQLLibraryError("index out of range"); }

void __throw_system_error(int) { throw EQLLibraryError("lock used wrongly"); }

}  // namespace std
