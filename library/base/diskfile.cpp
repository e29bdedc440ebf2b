// Plain disk files, with the worker thread and read-ahead cache of threaded files.
#include "library/base/diskfile.h"

#include "library/base/log.h"
#include "library/base/memory.h"

#include <cstring>

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
        ResetEvent(file->requestEvent);
        ResetEvent(file->idleEvent);
        switch (file->command) {
        case DISKCMD_OPEN:
            // The same sharing as the size probe, so that the file can be open twice.
            file->threadFile = CreateFileA(file->name, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file->threadFile == INVALID_HANDLE_VALUE) {
                file->openFailed = 1;
                SetEvent(file->idleEvent);
                file->threadEnded = 1;
                return 0;
            }
            break;
        case DISKCMD_CLOSE:
            if (file->threadFile != INVALID_HANDLE_VALUE) CloseHandle(file->threadFile);
            file->threadFile = INVALID_HANDLE_VALUE;
            break;
        case DISKCMD_READ:
            ThreadRead(file);
            break;
        case DISKCMD_SEEK:
            SetFilePointer(file->threadFile, file->seekPosition, nullptr, FILE_BEGIN);
            if (file->cache != nullptr) {
                file->cachePosition = file->seekPosition;
                file->cacheValid = 0;
            }
            break;
        case DISKCMD_QUIT:
            if (file->threadFile != INVALID_HANDLE_VALUE) CloseHandle(file->threadFile);
            file->threadFile = INVALID_HANDLE_VALUE;
            SetEvent(file->idleEvent);
            file->threadEnded = 1;
            return 0;
        }
        SetEvent(file->idleEvent);
    }
}

// ---- the caller's side ----------------------------------------------------------

// Hands a filled-in command to the worker: the caller writes the block only while idle is set.
static void BeginRequest(DISKFILE *file)
{
    WaitForSingleObject(file->idleEvent, INFINITE);
}

static void SendRequest(DISKFILE *file, int wait)
{
    ResetEvent(file->idleEvent);
    SetEvent(file->requestEvent);
    if (wait) WaitForSingleObject(file->idleEvent, INFINITE);
}

static void WaitThreadEnd(DISKFILE *file)
{
    DWORD code = STILL_ACTIVE;
    while (GetExitCodeThread(file->thread, &code) && code == STILL_ACTIVE) Sleep(0);
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

static DISKFILE *OpenThreaded(DISKFILE *file)
{
    HANDLE probe = OpenForReading(file->name);
    if (probe == INVALID_HANDLE_VALUE) {
        FreeMemBlock(file);
        return nullptr;
    }
    int sized = TakeFileSize(probe, &file->size);
    CloseHandle(probe);
    if (sized != 0) {
        FreeMemBlock(file);
        return nullptr;
    }
    if (file->useCache) {
        file->cache = (BYTE *)AllocMemBlock(DISKFILE_CACHE_SIZE, __FILE__, __LINE__);
        if (file->cache == nullptr) {
            WriteLog("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
            FreeMemBlock(file);
            return nullptr;
        }
    }
    file->threadFile = INVALID_HANDLE_VALUE;
    file->requestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    file->idleEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (file->requestEvent != nullptr && file->idleEvent != nullptr)
        file->thread = CreateThread(nullptr, 0, DiskFileThreadProc, file, 0, &file->threadId);
    if (file->thread == nullptr) {
        FreeThreadParts(file);
        WriteLog("ファイルアクセス専用スレッドの作成に失敗しました\n");
        FreeMemBlock(file);
        return nullptr;
    }
    BeginRequest(file);
    file->command = DISKCMD_OPEN;
    SendRequest(file, 1);
    if (file->openFailed) {
        FreeThreadParts(file);
        WaitThreadEnd(file);
        CloseHandle(file->thread);
        WriteLog("ファイルのオープンに失敗しました\n");
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
    if (file->threadMode) {
        BeginRequest(file);
        file->command = DISKCMD_SEEK;
        file->seekPosition = (int)target;
        SendRequest(file, !file->async);
    } else if (SetFilePointer(file->file, (LONG)target, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return -1;
    }
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

int DiskFileEof(DISKFILE *file)
{
    return file->endFlag ? -1 : 0;
}

int DiskFileIsIdle(DISKFILE *file)
{
    if (!file->threadMode) return 1;
    return WaitForSingleObject(file->idleEvent, 0) == WAIT_OBJECT_0 ? 1 : 0;
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
