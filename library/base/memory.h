// The library's tracked allocator over the process heap. Every block remembers where it was
// requested, so that blocks still held at shut-down (and all blocks when an allocation fails)
// can be listed in the log. Any thread may call these.
#pragma once

#include <cstddef>

// Null on failure (the log then holds a dump of every block). fileName may be null; callers
// without a line number pass -1. Sizes above 2^31 - 1 less the bookkeeping fail like any other.
void *AllocMemBlock(size_t size, const char *fileName, int line);
// The same, with the user bytes zero-filled.
void *AllocMemBlockZero(size_t size, const char *fileName, int line);
// Null is ignored. Always 0.
int FreeMemBlock(void *block);
// A null block allocates. Grown bytes are zero. On failure null, and the old block stays valid.
void *ReallocMemBlock(void *block, size_t size, const char *fileName, int line);
// Writes "Alloc memory dump", one line per block from the newest, and the totals to the log.
void DumpMemBlocks();
// 0, or -1 (after logging the block) at the first block whose header was overwritten.
int CheckMemBlocks();

#define MEM_ALLOC(size) AllocMemBlock((size), __FILE__, __LINE__)
#define MEM_ALLOC_ZERO(size) AllocMemBlockZero((size), __FILE__, __LINE__)
#define MEM_REALLOC(block, size) ReallocMemBlock((block), (size), __FILE__, __LINE__)
#define MEM_FREE(block) FreeMemBlock(block)
