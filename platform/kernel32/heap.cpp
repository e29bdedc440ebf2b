// The process heap over malloc. Each block carries its requested size in front,
// so that HeapSize answers exactly and HeapReAlloc knows which tail it grew.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

struct alignas(16) BlockHead {
    size_t size;
    size_t magic;
};
constexpr size_t kLiveMagic = 0x4B48454150424C4Bull;  // marks a block this heap handed out

struct HeapState {
    std::atomic<int> failCountdown{0};
    std::atomic<int> passCountdown{0};  // calls that still succeed before the failures
    std::atomic<int> liveBlocks{0};
    std::atomic<size_t> largestRequest{0};
};
HeapState g_heap;
char g_processHeap;

// True when a scripted failure is due.
bool ScriptedFailure()
{
    int left = g_heap.failCountdown.load();
    if (left <= 0) return false;
    int pass = g_heap.passCountdown.load();
    while (pass > 0)
        if (g_heap.passCountdown.compare_exchange_weak(pass, pass - 1)) return false;
    while (left > 0) {
        if (g_heap.failCountdown.compare_exchange_weak(left, left - 1))
            return true;
    }
    return false;
}

BlockHead *HeadOf(LPCVOID mem)
{
    auto *head = reinterpret_cast<BlockHead *>(const_cast<char *>(static_cast<const char *>(mem))) - 1;
    return head->magic == kLiveMagic ? head : nullptr;
}

// Remembers the largest size asked for, granted or not.
void NoteRequest(size_t bytes)
{
    size_t seen = g_heap.largestRequest.load();
    while (bytes > seen && !g_heap.largestRequest.compare_exchange_weak(seen, bytes)) {
    }
}

}  // namespace

HANDLE GetProcessHeap() { return &g_processHeap; }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes)
{
    NoteRequest(bytes);
    if (!heap || ScriptedFailure() || bytes > SIZE_MAX - sizeof(BlockHead))
        return nullptr;
    auto *head = static_cast<BlockHead *>(std::malloc(sizeof(BlockHead) + bytes));
    if (!head)
        return nullptr;
    head->size = bytes;
    head->magic = kLiveMagic;
    if (flags & HEAP_ZERO_MEMORY)
        std::memset(head + 1, 0, bytes);
    g_heap.liveBlocks.fetch_add(1);
    return head + 1;
}

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID mem, size_t bytes)
{
    if (!heap || !mem)
        return nullptr;
    NoteRequest(bytes);
    BlockHead *head = HeadOf(mem);
    if (!head || ScriptedFailure() || bytes > SIZE_MAX - sizeof(BlockHead))
        return nullptr;
    size_t oldSize = head->size;
    // realloc leaves the old block untouched when it fails.
    auto *grown = static_cast<BlockHead *>(std::realloc(head, sizeof(BlockHead) + bytes));
    if (!grown)
        return nullptr;
    grown->size = bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
        std::memset(reinterpret_cast<char *>(grown + 1) + oldSize, 0, bytes - oldSize);
    return grown + 1;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID mem)
{
    if (!heap)
        return FALSE;
    if (!mem)
        return TRUE;
    BlockHead *head = HeadOf(mem);
    if (!head)
        return FALSE;
    head->magic = 0;
    std::free(head);
    g_heap.liveBlocks.fetch_sub(1);
    return TRUE;
}

size_t HeapSize(HANDLE heap, DWORD, LPCVOID mem)
{
    if (!heap || !mem)
        return static_cast<size_t>(-1);
    BlockHead *head = HeadOf(mem);
    return head ? head->size : static_cast<size_t>(-1);
}

void PlatformTestFailAllocations(int count) { PlatformTestFailAllocationsAfter(0, count); }

void PlatformTestFailAllocationsAfter(int pass, int count)
{
    g_heap.passCountdown.store(pass > 0 ? pass : 0);
    g_heap.failCountdown.store(count > 0 ? count : 0);
}

int PlatformTestHeapBlockCount() { return g_heap.liveBlocks.load(); }

size_t PlatformTestTakeLargestHeapRequest() { return g_heap.largestRequest.exchange(0); }
