#pragma once

namespace platform {

// The C library's allocator gives each busy thread an arena of its own and keeps what is freed there: under
// hot-plug churn, the worker threads' arenas grow the resident size long after the work is done.

// Few arenas for the whole process; called once at start-up, before any thread starts.
void capAllocatorArenas();
// Hands the free pages of every arena back to the system.
void releaseFreedMemory();

}  // namespace platform
