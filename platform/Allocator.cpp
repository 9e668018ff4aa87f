#include "platform/Allocator.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void capAllocatorArenas() {
#if defined(__GLIBC__)
    constexpr int kArenaLimit = 2;  // the workers mostly wait on tools, so they rarely contend for an arena
    mallopt(M_ARENA_MAX, kArenaLimit);
#endif
}

void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
