// Plain disk files, with the worker thread and read-ahead cache of threaded files.
#include "library/base/diskfile.h"

#include "library/base/log.h"
#include "library/base/memory.h"

#include <cstring>
#include <mutex>

// ---- the worker thread ----------------------------------------------------------

static void FillCacheAhead(DISKFILE *file)
{
    // Nothing to do once the cache is full or holds the rest of the file.
    if (file->threadFile == INVALID_HANDLE_VALUE || file->cacheValid >= DISKFILE_CACHE_SIZE ||
        file->cachePosition + file->cacheValid >= file->size)
        return;
    if (SetFilePointer(file->threadFile, file->cachePosition + file->cacheValid, nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER)
        return;
    DWORD got = 0;
    if (ReadFile(file->threadFile, file->cache + file->cacheValid,
                 (DWORD)(DISKFILE_CACHE_SIZE - file->cacheValid), &got, nullptr))
        file->cacheValid += (int)got;
}

static void ThreadRead(DISKFILE *file)
{
    BYTE *dest = (BYTE *)file->readBuffer;
    int position = file->readPosition;
    int wanted = file->readBytes;
    int done = 0;
    if (file->cache != nullptr && position == file->cachePosition && file->cacheValid > 0) {
        int take = wanted < file->cacheValid ? wanted : file->cacheValid;
        memcpy(dest, file->cache, (size_t)take);
        dest += take;
        position += take;
        wanted -= take;
        done += take;
        file->cachePosition += take;
        file->cacheValid -= take;
        memmove(file->cache, file->cache + take, (size_t)file->cacheValid);
    }
    if (wanted > 0) {
        DWORD got = 0;
        if (SetFilePointer(file->threadFile, position, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
            ReadFile(file->threadFile, dest, (DWORD)wanted, &got, nullptr))
            done += (int)got;
        if (file->cache != nullptr) {
            file->cachePosition = position + (int)got;
            file->cacheValid = 0;
        }
    }
    file->readBytes = done;
}

// Serves the request in the command block; false once the worker is to end.
static bool ServeRequest(DISKFILE *file)
{
    ResetEvent(file->requestEvent);
    ResetEvent(file->idleEvent);
    const uint32_t request = file->requestsSent.load(std::memory_order_acquire);
    switch (file->command) {
    case DISKCMD_CLOSE:
        if (file->threadFile != INVALID_HANDLE_VALUE) CloseHandle(file->threadFile);
        file->threadFile = INVALID_HANDLE_VALUE;
        break;
    case DISKCMD_READ:
        ThreadRead(file);
        break;
    case DISKCMD_QUIT:
        if (file->threadFile != INVALID_HANDLE_VALUE) CloseHandle(file->threadFile);
        file->threadFile = INVALID_HANDLE_VALUE;
        file->threadEnded = 1;
        file->requestsDone.store(request, std::memory_order_release);
        SetEvent(file->idleEvent);
        return false;
    }
    // The event first: a caller that sees the request done finds the event set as well.
    SetEvent(file->idleEvent);
    file->requestsDone.store(request, std::memory_order_release);
    return true;
}

static DWORD DiskFileThreadProc(LPVOID param)
{
    DISKFILE *file = (DISKFILE *)param;
    for (;;) {
        if (file->cache == nullptr) {
            WaitForSingleObject(file->requestEvent, INFINITE);
        } else if (WaitForSingleObject(file->requestEvent, 100) == WAIT_TIMEOUT) {
            FillCacheAhead(file);
            continue;
        }
        if (!ServeRequest(file)) return 0;
    }
}

// ---- shared workers --------------------------------------------------------------
// Files without a cache are served by a few workers that outlive them: a thread started and
// ended for every file costs more than the read itself on a busy machine. A file that finds no
// free worker gets a thread of its own, as a cached file always does.

struct FILEWORKER {
    HANDLE thread;  // null: the record is unused
    HANDLE wake;    // auto reset: a request of its file is waiting
    DISKFILE *file; // null while parked; changed under the lock only
    // Requests sent to the worker, and whether it sleeps on its event: a worker that has just
    // served a request watches the count for a while, and is woken through the event only
    // once it sleeps.
    std::atomic<uint32_t> calls;
    std::atomic<bool> asleep;
};

constexpr int kFileWorkers = 4;
static FILEWORKER g_workers[kFileWorkers];
static std::mutex g_workerLock;

static bool RequestPending(const DISKFILE *file)
{
    return file->requestsDone.load(std::memory_order_acquire) != file->requestsSent.load(std::memory_order_acquire);
}

// Watches the worker's request count for a short while after a request: files read one after
// another (a loader's list, an archive's tables) send the next request within microseconds,
// while waking a sleeping thread takes tens of them. True when a request came; false once the
// watch ran out. Bounded by a count of polls as well, for the fake clock stands still.
static bool AwaitCall(FILEWORKER *worker, uint32_t seen)
{
    constexpr int kPolls = 1 << 16;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    const LONGLONG watch = frequency.QuadPart / 5000;  // 200 us
    QueryPerformanceCounter(&start);
    for (int i = 1; i <= kPolls; i++) {
        if (worker->calls.load(std::memory_order_seq_cst) != seen) return true;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
        if ((i & 63) == 0) {
            QueryPerformanceCounter(&now);
            if (now.QuadPart - start.QuadPart >= watch) break;
        }
    }
    return false;
}

// Serves whatever its file has waiting, then sleeps until woken. A file is freed only once
// idle, and the last thing a served request touches is its done count, so the file is read
// again only under the lock, where a closing caller cannot take it away.
static DWORD SharedWorkerProc(LPVOID param)
{
    FILEWORKER *worker = (FILEWORKER *)param;
    for (;;) {
        const uint32_t seen = worker->calls.load(std::memory_order_seq_cst);
        for (;;) {
            DISKFILE *file;
            {
                std::lock_guard<std::mutex> guard(g_workerLock);
                file = worker->file;
                if (file == nullptr || !RequestPending(file)) break;
            }
            ServeRequest(file);
        }
        if (AwaitCall(worker, seen)) continue;
        // Sleep only once the count is seen unchanged after saying so: a caller that counts its
        // request before the flag is up finds the count changed here, one that counts it after
        // sees the flag and sets the event.
        worker->asleep.store(true, std::memory_order_seq_cst);
        if (worker->calls.load(std::memory_order_seq_cst) == seen)
            WaitForSingleObject(worker->wake, INFINITE);
        worker->asleep.store(false, std::memory_order_seq_cst);
    }
}

// A parked or new shared worker for the file; false when all are busy.
static bool TakeSharedWorker(DISKFILE *file)
{
    std::lock_guard<std::mutex> guard(g_workerLock);
    FILEWORKER *worker = nullptr;
    for (FILEWORKER &w : g_workers)
        if (w.thread != nullptr && w.file == nullptr) {
            worker = &w;
            break;
        }
    if (worker == nullptr) {
        for (FILEWORKER &w : g_workers)
            if (w.thread == nullptr) {
                w.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
                if (w.wake == nullptr) return false;
                w.file = file;
                w.thread = CreateThread(nullptr, 0, SharedWorkerProc, &w, 0, nullptr);
                if (w.thread == nullptr) {
                    CloseHandle(w.wake);
                    w.wake = nullptr;
                    w.file = nullptr;
                    return false;
                }
                worker = &w;
                break;
            }
        if (worker == nullptr) return false;
    }
    worker->file = file;
    file->worker = worker;
    file->thread = worker->thread;
    return true;
}

// Once the file is idle its worker lets go of it: no request is needed to part them.
static void ReleaseSharedWorker(DISKFILE *file)
{
    while (RequestPending(file)) Sleep(0);
    std::lock_guard<std::mutex> guard(g_workerLock);
    file->worker->file = nullptr;
    file->worker = nullptr;
    file->thread = nullptr;
}

// ---- the caller's side ----------------------------------------------------------

// Hands a filled-in command to the worker: the caller writes the block only while idle is set.
static void BeginRequest(DISKFILE *file)
{
    WaitForSingleObject(file->idleEvent, INFINITE);
}

// A file without a cache gets its worker with its first request, which the worker finds
// waiting. Should no thread start, the request is served here.
static void StartWorkerFor(DISKFILE *file)
{
    if (TakeSharedWorker(file)) return;
    file->thread = CreateThread(nullptr, 0, DiskFileThreadProc, file, 0, &file->threadId);
    if (file->thread != nullptr) return;
    WriteLog("ファイルアクセス専用スレッドの作成に失敗しました\n");
    ServeRequest(file);
}

static void SendRequest(DISKFILE *file, int wait)
{
    ResetEvent(file->idleEvent);
    file->requestsSent.store(file->requestsSent.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    SetEvent(file->requestEvent);
    if (file->thread == nullptr) StartWorkerFor(file);
    if (file->worker != nullptr) {
        file->worker->calls.fetch_add(1, std::memory_order_seq_cst);
        if (file->worker->asleep.load(std::memory_order_seq_cst)) SetEvent(file->worker->wake);
    }
    if (wait) WaitForSingleObject(file->idleEvent, INFINITE);
}

// The thread handle turns signalled when the thread has ended.
static void WaitThreadEnd(DISKFILE *file)
{
    WaitForSingleObject(file->thread, INFINITE);
}

static void FreeThreadParts(DISKFILE *file)
{
    if (file->cache != nullptr) FreeMemBlock(file->cache);
    file->cache = nullptr;
    if (file->requestEvent != nullptr) CloseHandle(file->requestEvent);
    if (file->idleEvent != nullptr) CloseHandle(file->idleEvent);
    file->requestEvent = file->idleEvent = nullptr;
}

// The size taken at open; a size that does not fit the int positions refuses the file.
static int TakeFileSize(HANDLE handle, int *size)
{
    DWORD high = 0;
    DWORD low = GetFileSize(handle, &high);
    if ((low == INVALID_FILE_SIZE && high == 0) || high != 0 || low > 0x7FFFFFFFu) return -1;
    *size = (int)low;
    return 0;
}

static HANDLE OpenForReading(const char *path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// The handle that took the size becomes the worker's own, so that the worker starts ready to
// read: each hand-over to the worker costs a wake-up of another thread, which a loaded machine
// makes slow.
static DISKFILE *OpenThreaded(DISKFILE *file)
{
    HANDLE handle = OpenForReading(file->name);
    if (handle == INVALID_HANDLE_VALUE) {
        FreeMemBlock(file);
        return nullptr;
    }
    if (TakeFileSize(handle, &file->size) != 0) {
        CloseHandle(handle);
        FreeMemBlock(file);
        return nullptr;
    }
    if (file->useCache) {
        file->cache = (BYTE *)AllocMemBlock(DISKFILE_CACHE_SIZE, __FILE__, __LINE__);
        if (file->cache == nullptr) {
            WriteLog("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
            CloseHandle(handle);
            FreeMemBlock(file);
            return nullptr;
        }
    }
    file->threadFile = handle;
    file->requestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    file->idleEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    const bool events = file->requestEvent != nullptr && file->idleEvent != nullptr;
    // A cache is filled ahead from the start; other workers start with their first request.
    if (events && file->cache == nullptr) return file;
    if (events) file->thread = CreateThread(nullptr, 0, DiskFileThreadProc, file, 0, &file->threadId);
    if (file->thread == nullptr) {
        FreeThreadParts(file);
        CloseHandle(handle);
        WriteLog("ファイルアクセス専用スレッドの作成に失敗しました\n");
        FreeMemBlock(file);
        return nullptr;
    }
    return file;
}

DISKFILE *DiskFileOpen(const char *path, int useCache, int, int async)
{
    if (path == nullptr || strlen(path) >= DISKFILE_NAME_SIZE) return nullptr;
    DISKFILE *file = (DISKFILE *)AllocMemBlockZero(sizeof(DISKFILE), __FILE__, __LINE__);
    if (file == nullptr) return nullptr;
    file->useCache = useCache != 0;
    file->async = async != 0;
    file->threadMode = file->useCache || file->async;
    strcpy(file->name, path);
    if (file->threadMode) return OpenThreaded(file);

    file->file = OpenForReading(path);
    if (file->file == INVALID_HANDLE_VALUE) {
        FreeMemBlock(file);
        return nullptr;
    }
    if (TakeFileSize(file->file, &file->size) != 0) {
        CloseHandle(file->file);
        FreeMemBlock(file);
        return nullptr;
    }
    return file;
}

int DiskFileClose(DISKFILE *file)
{
    if (file == nullptr) return -1;
    int result = 0;
    if (!file->threadMode) {
        if (!CloseHandle(file->file)) result = -1;
    } else if (file->thread == nullptr || file->worker != nullptr) {
        // No worker, or a shared one, which goes back to wait for the next file.
        if (file->worker != nullptr) ReleaseSharedWorker(file);
        CloseHandle(file->threadFile);
        FreeThreadParts(file);
    } else {
        BeginRequest(file);
        file->command = DISKCMD_QUIT;
        SendRequest(file, 1);
        WaitThreadEnd(file);
        CloseHandle(file->thread);
        FreeThreadParts(file);
    }
    FreeMemBlock(file);
    return result;
}

int DiskFileTell(DISKFILE *file)
{
    return file->position;
}

int DiskFileSeek(DISKFILE *file, int offset, int origin)
{
    int64_t target = offset;
    if (origin == 1) target += file->position;
    else if (origin == 2) target += file->size;
    if (target < 0 || target > 0x7FFFFFFF) return -1;
    // A threaded file's position is the caller's alone: every read hands the worker its position,
    // and the read-ahead cache restarts wherever a read does not continue it.
    if (!file->threadMode && SetFilePointer(file->file, (LONG)target, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return -1;
    file->position = (int)target;
    file->endFlag = 0;
    return 0;
}

int DiskFileRead(void *buffer, size_t elemSize, size_t count, DISKFILE *file)
{
    if (elemSize == 0) return 0;
    if (file->position >= file->size) {
        file->endFlag = 1;
        return 0;
    }
    size_t left = (size_t)(file->size - file->position);
    size_t n = count;
    if (n > left / elemSize) n = left / elemSize;
    if (n == 0) {
        file->endFlag = 1;
        return 0;
    }
    int bytes = (int)(n * elemSize);
    if (!file->threadMode) {
        DWORD got = 0;
        if (!ReadFile(file->file, buffer, (DWORD)bytes, &got, nullptr)) got = 0;
        // The platform's pointer moved by what was read; the position follows it.
        file->position += (int)got;
        return (int)(got / elemSize);
    }
    BeginRequest(file);
    file->command = DISKCMD_READ;
    file->readBuffer = buffer;
    file->readPosition = file->position;
    file->readBytes = bytes;
    if (file->async) {
        // The data is complete once DiskFileIsIdle gives 1.
        SendRequest(file, 0);
        file->position += bytes;
        return (int)n;
    }
    SendRequest(file, 1);
    file->position += file->readBytes;
    return (int)((size_t)file->readBytes / elemSize);
}

int DiskFileReadWait(void *buffer, int bytes, DISKFILE *file)
{
    if (bytes <= 0) return 0;
    if (file->position >= file->size) return 0;
    if (bytes > file->size - file->position) bytes = file->size - file->position;
    // A worker without a cache does nothing between requests: while none is pending, the
    // caller, who would only wait, reads with the worker's handle itself.
    if (file->threadMode && file->cache == nullptr && DiskFileIsIdle(file)) {
        file->readBuffer = buffer;
        file->readPosition = file->position;
        file->readBytes = bytes;
        ThreadRead(file);
        file->position += file->readBytes;
        return file->readBytes;
    }
    if (!file->threadMode || !file->async) return DiskFileRead(buffer, 1, (size_t)bytes, file);
    if (DiskFileRead(buffer, 1, (size_t)bytes, file) != bytes) return 0;
    while (!DiskFileIsIdle(file)) Sleep(0);
    return file->readBytes;
}

int DiskFileEof(DISKFILE *file)
{
    return file->endFlag ? -1 : 0;
}

int DiskFileIsIdle(DISKFILE *file)
{
    if (!file->threadMode) return 1;
    return file->requestsDone.load(std::memory_order_acquire) == file->requestsSent.load(std::memory_order_relaxed) ? 1
                                                                                                                  : 0;
}

int DiskChangeDir(const char *path)
{
    return SetCurrentDirectoryA(path) ? 0 : -1;
}

int DiskGetDir(char *buffer)
{
    DWORD length = GetCurrentDirectoryA(FILE_DIR_BUFFER, buffer);
    return (length == 0 || length >= FILE_DIR_BUFFER) ? -1 : 0;
}

// ---- the disk set in table form ------------------------------------------------

static uintptr_t SlotOpen(const char *path, int useCache, int reserved, int async)
{
    return (uintptr_t)DiskFileOpen(path, useCache, reserved, async);
}
static int SlotClose(uintptr_t file) { return DiskFileClose((DISKFILE *)file); }
static int SlotTell(uintptr_t file) { return DiskFileTell((DISKFILE *)file); }
static int SlotSeek(uintptr_t file, int offset, int origin) { return DiskFileSeek((DISKFILE *)file, offset, origin); }
static int SlotRead(void *buffer, size_t elemSize, size_t count, uintptr_t file)
{
    return DiskFileRead(buffer, elemSize, count, (DISKFILE *)file);
}
static int SlotEof(uintptr_t file) { return DiskFileEof((DISKFILE *)file); }
static int SlotIsIdle(uintptr_t file) { return DiskFileIsIdle((DISKFILE *)file); }

static const FILEFUNCS g_diskFileFuncs = {SlotOpen,      SlotClose,  SlotTell,      SlotSeek,
                                          SlotRead,      SlotEof,    SlotIsIdle,    DiskChangeDir,
                                          DiskGetDir,    DiskFindFirst, DiskFindNext, DiskFindClose};

const FILEFUNCS *GetDiskFileFuncs()
{
    return &g_diskFileFuncs;
}
