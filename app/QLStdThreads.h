// The thread primitives the runtime library's exception support calls, for
// the shipped programs alone. The exception unwinder, its emergency memory
// and its per-thread state take a lock, a once-only flag and thread-local
// keys through the POSIX thread functions; the programs define those few
// here on the system's own primitives, so the POSIX thread library (its
// thread creation, condition variables and read-write locks, which nothing
// of the programs uses) stays out. Nothing at the link fails should the
// library come in after all (its definitions silently win under link-time
// optimisation): the programs' build reads their link map and fails then
// (cmake/QLRuntimeReplacements.cmake). Written for one compiler release,
// checked at configure time. A once function that raises leaves its flag
// unset for the next caller; a mutex takes the default attributes alone and
// refuses any value it did not make. At most 32 mutexes are in use at once
// (the runtime's own, a handful; a lock beyond them fails with EAGAIN). A key's destructor is not run at a
// thread's end; the runtime's per-thread blocks of the few worker threads
// an extraction starts stay until the process ends.
#pragma once
