// Plain disk files: the disk set of the file-function table. A file opened with the use-cache or
// the asynchronous flag is served by a worker thread: a thread of its own with a 128 KB read-ahead
// cache when the cache is asked for, else one of a few shared workers; the caller and the worker
// hand over through two manual events and two request counts.
//
// Positions are ints (the size is taken at open). A position at or past the size reads as the
// end of the data; a seek to a negative position fails.
#pragma once

#include "library/base/stream.h"
#include "platform/kernel32/kernel32.h"

#include <atomic>
#include <cstdint>

#define DISKFILE_CACHE_SIZE 131072
#define DISKFILE_NAME_SIZE 260

// Commands of the worker thread.
enum {
    DISKCMD_OPEN = 0,
    DISKCMD_CLOSE = 1,
    DISKCMD_READ = 2,
    DISKCMD_SEEK = 3,
    DISKCMD_QUIT = 4,
};

struct FILEWORKER;

struct DISKFILE {
    HANDLE file;  // plain mode
    int threadMode;
    int useCache;
    int async;
    int endFlag;
    int position;
    int size;
    DWORD threadId;
    HANDLE thread;
    HANDLE threadFile;    // the worker's own handle
    HANDLE requestEvent;  // manual, initially clear
    HANDLE idleEvent;     // manual, initially set
    int command;
    int threadEnded;
    int openFailed;
    char name[DISKFILE_NAME_SIZE];
    // read request; the worker writes the bytes actually read back into readBytes
    void *readBuffer;
    int readPosition;
    int readBytes;
    // seek request
    int seekPosition;
    // read-ahead cache
    BYTE *cache;
    int cachePosition;
    int cacheValid;
    // Requests sent and the last one the worker finished, so that the idle check reads two
    // words instead of taking the event's lock while the worker hands it over.
    std::atomic<uint32_t> requestsSent;
    std::atomic<uint32_t> requestsDone;
    FILEWORKER *worker;  // the shared worker serving the file, or null for a thread of its own
};

DISKFILE *DiskFileOpen(const char *path, int useCache, int reserved, int async);
int DiskFileClose(DISKFILE *file);
int DiskFileTell(DISKFILE *file);
int DiskFileSeek(DISKFILE *file, int offset, int origin);
int DiskFileRead(void *buffer, size_t elemSize, size_t count, DISKFILE *file);
// Reads up to `bytes` at the position and waits until they are in, also on an asynchronous
// file; the bytes really read.
int DiskFileReadWait(void *buffer, int bytes, DISKFILE *file);
int DiskFileEof(DISKFILE *file);
int DiskFileIsIdle(DISKFILE *file);
int DiskChangeDir(const char *path);  // 0 / -1
int DiskGetDir(char *buffer);         // FILE_DIR_BUFFER bytes; 0 / -1
uintptr_t DiskFindFirst(const char *pattern, FILEFINDINFO *out);
int DiskFindNext(uintptr_t search, FILEFINDINFO *out);
int DiskFindClose(uintptr_t search);

// The disk set in file-function table form (handles are DISKFILE pointers).
const FILEFUNCS *GetDiskFileFuncs();
