#include "app/heapreuse.h"

#include "link/link.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void reuseFreedHeapMemory() {
#if defined(__GLIBC__)
    // A socket buffer of up to the link's read buffer comes from the heap rather than from a
    // mapping of its own...
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(2 * Link::kReadBufferBytes));
    // ...and the heap keeps a few turns' worth of them free for the next turn.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(8 * Link::kReadBufferBytes));
#endif
}
