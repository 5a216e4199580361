#include "platform/freedmemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void keepFreedMemoryReturnable()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}
