// The tracked allocator: a header in front of every block, the blocks linked newest first.
#include "library/base/memory.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "library/base/log.h"
#include "platform/kernel32/kernel32.h"

namespace {

struct MEMBLOCKHEAD;

// The fields the damage check covers, in header order.
struct MEMBLOCKFIELDS {
    char name[16];
    uint16_t id;
    uint16_t line;
    int32_t size;
    MEMBLOCKHEAD *next;      // older block; the sentinel ends the list
    MEMBLOCKHEAD *previous;  // newer block; null for the newest
};

// Grown past the 32-bit layout so that the copy covers every field; a multiple of 16 keeps the
// user data as aligned as the heap's own blocks.
struct alignas(16) MEMBLOCKHEAD {
    MEMBLOCKFIELDS f;
    MEMBLOCKFIELDS copy;
};
static_assert(sizeof(MEMBLOCKHEAD) % 16 == 0);

constexpr size_t kHeadBytes = sizeof(MEMBLOCKHEAD);
constexpr size_t kMaxUserBytes = INT32_MAX - kHeadBytes;
constexpr int kDataBytesShown = 16;

struct MEMSTATE {
    MEMBLOCKHEAD sentinel;
    MEMBLOCKHEAD *head;
    int32_t totalSize;
    int32_t blockCount;
    uint16_t nextId;
    int listing;  // a dump or check is writing: nested requests (the log's) get null at once
    CRITICAL_SECTION lock;
};

MEMSTATE g_mem = {{}, &g_mem.sentinel, 0, 0, 0, 0, {}};

CRITICAL_SECTION *MemLock() {
    static bool created = (InitializeCriticalSection(&g_mem.lock), true);
    (void)created;
    return &g_mem.lock;
}

struct LockGuard {
    LockGuard() { EnterCriticalSection(MemLock()); }
    ~LockGuard() { LeaveCriticalSection(MemLock()); }
};

struct ListingGuard {
    int saved = g_mem.listing;
    ListingGuard() { g_mem.listing = 1; }
    ~ListingGuard() { g_mem.listing = saved; }
};

void *UserBytes(MEMBLOCKHEAD *h) { return reinterpret_cast<char *>(h) + kHeadBytes; }
MEMBLOCKHEAD *HeadOf(void *p) { return reinterpret_cast<MEMBLOCKHEAD *>(static_cast<char *>(p) - kHeadBytes); }

void RefreshCopy(MEMBLOCKHEAD *h) {
    if (h != nullptr) memcpy(&h->copy, &h->f, sizeof h->f);
}

void SetName(MEMBLOCKHEAD *h, const char *fileName, int line) {
    memset(h->f.name, 0, sizeof h->f.name);
    if (fileName != nullptr) {
        size_t length = strlen(fileName);
        const size_t keep = sizeof h->f.name - 1;
        memcpy(h->f.name, length > keep ? fileName + (length - keep) : fileName, length > keep ? keep : length);
    }
    h->f.line = static_cast<uint16_t>(line);
}

// One block line; dataLimit bounds the bytes shown (a damaged size must not read past the block).
void LogMemBlock(const MEMBLOCKHEAD *h, int32_t dataLimit) {
    char line[320];
    const unsigned char *data = reinterpret_cast<const unsigned char *>(h) + kHeadBytes;
    int shown = h->f.size < dataLimit ? h->f.size : dataLimit;
    if (shown > kDataBytesShown) shown = kDataBytesShown;
    if (shown < 0) shown = 0;
    int n = snprintf(line, sizeof line, "\tsize:%d(%.3fkb)  file:%.*s  line:%d  ID:%d  addr:%016" PRIxPTR "  data:<",
                     h->f.size, h->f.size / 1024.0, static_cast<int>(sizeof h->f.name), h->f.name, h->f.line,
                     h->f.id, reinterpret_cast<uintptr_t>(data));
    for (int i = 0; i < shown; i++) line[n++] = (data[i] >= 0x20 && data[i] <= 0x7F) ? static_cast<char>(data[i]) : '.';
    memcpy(line + n, "> [", 3);
    n += 3;
    for (int i = 0; i < shown; i++) n += snprintf(line + n, sizeof line - static_cast<size_t>(n), "%02x ", data[i]);
    line[n - 1] = ']';
    line[n++] = '\n';
    line[n] = '\0';
    WriteLog(line);
}

// The totals are 32-bit as the log shows them; they wrap rather than overflow.
void AddToTotal(uint32_t delta) { g_mem.totalSize = static_cast<int32_t>(static_cast<uint32_t>(g_mem.totalSize) + delta); }

void LogMemTotals() {
    WriteLogFmt("\tTotal size:%d(%.3fkb)  Alloc num:%d", g_mem.totalSize, g_mem.totalSize / 1024.0, g_mem.blockCount);
}

void *Allocate(size_t size, const char *fileName, int line, bool zero) {
    LockGuard lock;
    if (g_mem.listing) return nullptr;
    MEMBLOCKHEAD *h = nullptr;
    if (size <= kMaxUserBytes) h = static_cast<MEMBLOCKHEAD *>(HeapAlloc(GetProcessHeap(), 0, size + kHeadBytes));
    if (h == nullptr) {
        DumpMemBlocks();
        CheckMemBlocks();
        return nullptr;
    }
    SetName(h, fileName, line);
    h->f.id = g_mem.nextId++;
    h->f.size = static_cast<int32_t>(size);
    MEMBLOCKHEAD *old = g_mem.head;
    old->f.previous = h;
    h->f.next = old;
    h->f.previous = nullptr;
    g_mem.head = h;
    RefreshCopy(h);
    RefreshCopy(old);
    AddToTotal(static_cast<uint32_t>(h->f.size));
    g_mem.blockCount++;
    if (zero) memset(UserBytes(h), 0, size);
    if (size == 0) {
        WriteLog("mem alloc  ");
        LogMemBlock(h, 0);
    }
    return UserBytes(h);
}

}  // namespace

void *AllocMemBlock(size_t size, const char *fileName, int line) { return Allocate(size, fileName, line, false); }

void *AllocMemBlockZero(size_t size, const char *fileName, int line) { return Allocate(size, fileName, line, true); }

int FreeMemBlock(void *block) {
    if (block == nullptr) return 0;
    LockGuard lock;
    MEMBLOCKHEAD *h = HeadOf(block);
    AddToTotal(0u - static_cast<uint32_t>(h->f.size));
    g_mem.blockCount--;
    MEMBLOCKHEAD *next = h->f.next;
    MEMBLOCKHEAD *previous = h->f.previous;
    next->f.previous = previous;
    if (previous != nullptr) previous->f.next = next;
    if (g_mem.head == h) g_mem.head = next;
    RefreshCopy(next);
    RefreshCopy(previous);
    if (h->f.size == 0) {
        WriteLog("mem free  ");
        LogMemBlock(h, 0);
    }
    HeapFree(GetProcessHeap(), 0, h);
    return 0;
}

void *ReallocMemBlock(void *block, size_t size, const char *fileName, int line) {
    if (block == nullptr) return AllocMemBlock(size, fileName, line);
    LockGuard lock;
    if (g_mem.listing) return nullptr;
    MEMBLOCKHEAD *old = HeadOf(block);
    const bool wasHead = g_mem.head == old;
    MEMBLOCKHEAD *h = nullptr;
    if (size <= kMaxUserBytes)
        h = static_cast<MEMBLOCKHEAD *>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, old, size + kHeadBytes));
    if (h == nullptr) {
        DumpMemBlocks();
        return nullptr;
    }
    SetName(h, fileName, line);
    h->f.id = g_mem.nextId++;
    h->f.next->f.previous = h;
    if (h->f.previous != nullptr) h->f.previous->f.next = h;
    if (wasHead) g_mem.head = h;
    AddToTotal(static_cast<uint32_t>(size) - static_cast<uint32_t>(h->f.size));
    h->f.size = static_cast<int32_t>(size);
    RefreshCopy(h);
    RefreshCopy(h->f.next);
    RefreshCopy(h->f.previous);
    if (size == 0) {
        WriteLog("mem realloc  ");
        LogMemBlock(h, 0);
    }
    return UserBytes(h);
}

void DumpMemBlocks() {
    LockGuard lock;
    ListingGuard listing;
    WriteLog("\n");
    WriteLog("Alloc memory dump\n");
    for (MEMBLOCKHEAD *h = g_mem.head; h != &g_mem.sentinel; h = h->f.next) LogMemBlock(h, h->f.size);
    LogMemTotals();
    WriteLog("\n");
}

int CheckMemBlocks() {
    LockGuard lock;
    ListingGuard listing;
    for (MEMBLOCKHEAD *h = g_mem.head; h != &g_mem.sentinel; h = h->f.next) {
        if (memcmp(&h->f, &h->copy, sizeof h->f) != 0) {
            WriteLog("以下のメモリ確保情報が破損しました\n");
            LogMemBlock(h, h->copy.size);
            return -1;
        }
    }
    return 0;
}
