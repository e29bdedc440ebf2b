// The file-function table every loader opens files through, and the stream tables that image,
// sound and model readers read through. File and stream handles are pointer-sized: a file handle
// is whatever the selected set gives out (an archive slot number or a DISKFILE pointer), a stream
// handle is a file handle or a BUFSTREAM pointer.
//
// The tables are used from the main thread only; the only other threads are the worker threads
// of threaded disk files, which never touch them.
#pragma once

#include <cstddef>
#include <cstdint>

struct FILEFINDINFO;

// A failed search (find first) gives this, as the platform's search handles do.
#define FILE_SEARCH_NONE ((uintptr_t)-1)

// The slot order is fixed (0 open ... 11 find close).
struct FILEFUNCS {
    // (path, use-cache flag, reserved, asynchronous flag) -> handle, 0 on failure
    uintptr_t (*Open)(const char *path, int useCache, int reserved, int async);
    int (*Close)(uintptr_t file);                  // 0 / -1
    int (*Tell)(uintptr_t file);                   // position, -1 for a bad handle
    int (*Seek)(uintptr_t file, int offset, int origin);  // origin 0 start, 1 current, 2 end; 0 / -1
    int (*Read)(void *buffer, size_t elemSize, size_t count, uintptr_t file);  // elements read
    int (*Eof)(uintptr_t file);                    // -1 at end, else 0
    int (*IsIdle)(uintptr_t file);                 // 1 when no asynchronous request is pending
    int (*ChangeDir)(const char *path);            // 0 / -1
    int (*GetDir)(char *buffer);                   // buffer of FILE_DIR_BUFFER bytes; 0 / -1
    uintptr_t (*FindFirst)(const char *pattern, FILEFINDINFO *out);  // FILE_SEARCH_NONE when nothing
    int (*FindNext)(uintptr_t search, FILEFINDINFO *out);            // 0, -1 at the end
    int (*FindClose)(uintptr_t search);                              // 0 / -1
};

// Every get-directory buffer holds this many bytes.
#define FILE_DIR_BUFFER 260

// A non-null table's slots are copied into the process-wide table; null selects the archive-aware
// set, or the plain disk set when the plain-files choice is on. Returns 0.
int SelectFileFunctions(const FILEFUNCS *table);
// The plain-files choice consulted by SelectFileFunctions(nullptr); off by default.
void SetUsePlainFiles(int flag);
// The set currently selected.
const FILEFUNCS *GetFileFunctions();

// Thunks over the selected set; every library loader uses these.
uintptr_t OpenDataFile(const char *path, int useCache, int reserved, int async);
int CloseDataFile(uintptr_t file);
int TellDataFile(uintptr_t file);
int SeekDataFile(uintptr_t file, int offset, int origin);
int ReadDataFile(void *buffer, size_t elemSize, size_t count, uintptr_t file);
int EofDataFile(uintptr_t file);
int IsDataFileIdle(uintptr_t file);
int GetDataFileDir(char *buffer);

// Stream operations, in their fixed order.
struct STREAMFUNCS {
    int (*Tell)(uintptr_t stream);
    int (*Seek)(uintptr_t stream, int offset, int origin);
    int (*Read)(void *buffer, size_t elemSize, size_t count, uintptr_t stream);
    int (*Eof)(uintptr_t stream);     // non-zero at end (-1 for files, 1 for memory streams)
    int (*IsIdle)(uintptr_t stream);  // 1 / 0
    int (*Close)(uintptr_t stream);   // 0
};

// What a reader is handed: the six operations, copied, then the stream handle.
struct STREAMREF {
    int (*Tell)(uintptr_t stream);
    int (*Seek)(uintptr_t stream, int offset, int origin);
    int (*Read)(void *buffer, size_t elemSize, size_t count, uintptr_t stream);
    int (*Eof)(uintptr_t stream);
    int (*IsIdle)(uintptr_t stream);
    int (*Close)(uintptr_t stream);
    uintptr_t handle;
};

// Fills a STREAMREF from a table and a handle.
void MakeStreamRef(STREAMREF *ref, const STREAMFUNCS *funcs, uintptr_t handle);

// File streams (the handle is an OpenDataFile handle) and memory streams (a BUFSTREAM pointer).
const STREAMFUNCS *GetFileStreamFuncs();
const STREAMFUNCS *GetMemStreamFuncs();

// A stream over a block of memory the caller keeps; the data is not owned.
struct BUFSTREAM {
    const void *data;
    int size;
    int position;
    int endFlag;
};

// Position 0, end flag 0; null when memory is short (or the size is negative).
BUFSTREAM *OpenMemStream(const void *data, int size);
int CloseMemStream(uintptr_t stream);  // frees the BUFSTREAM; 0

int BufStreamTell(uintptr_t stream);
int BufStreamSeek(uintptr_t stream, int offset, int origin);  // clamped to 0..size; 0
int BufStreamRead(void *buffer, size_t elemSize, size_t count, uintptr_t stream);
int BufStreamEof(uintptr_t stream);    // the end flag, 1 / 0
int BufStreamIsIdle(uintptr_t stream);  // always 1
