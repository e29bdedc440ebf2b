// The process-wide file-function table, its thunks and the two stream tables.
#include <mutex>

#include "library/base/arcfile.h"
#include "library/base/diskfile.h"
#include "library/base/stream.h"

// State of the file-function table. Main thread only.
struct FILEFUNCSTATE {
    FILEFUNCS table;
    int usePlainFiles;
};

static FILEFUNCSTATE g_fileFuncs = {*GetArchiveFileFuncs(), 0};

// A movie's decode thread reads its file through the thunks while the main thread reads others
// (an archive's entries share one disk file): each file operation runs whole before the next.
static std::recursive_mutex g_fileLock;
using FileHold = std::lock_guard<std::recursive_mutex>;

int SelectFileFunctions(const FILEFUNCS *table)
{
    if (table != nullptr) g_fileFuncs.table = *table;
    else if (g_fileFuncs.usePlainFiles) g_fileFuncs.table = *GetDiskFileFuncs();
    else g_fileFuncs.table = *GetArchiveFileFuncs();
    return 0;
}

void SetUsePlainFiles(int flag)
{
    g_fileFuncs.usePlainFiles = flag != 0;
}

const FILEFUNCS *GetFileFunctions()
{
    return &g_fileFuncs.table;
}

uintptr_t OpenDataFile(const char *path, int useCache, int reserved, int async)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Open(path, useCache, reserved, async);
}

int CloseDataFile(uintptr_t file)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Close(file);
}

int TellDataFile(uintptr_t file)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Tell(file);
}

int SeekDataFile(uintptr_t file, int offset, int origin)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Seek(file, offset, origin);
}

int ReadDataFile(void *buffer, size_t elemSize, size_t count, uintptr_t file)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Read(buffer, elemSize, count, file);
}

int EofDataFile(uintptr_t file)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.Eof(file);
}

int IsDataFileIdle(uintptr_t file)
{
    FileHold hold(g_fileLock);
    return g_fileFuncs.table.IsIdle(file);
}

int GetDataFileDir(char *buffer)
{
    return g_fileFuncs.table.GetDir(buffer);
}

static const STREAMFUNCS g_fileStreamFuncs = {TellDataFile, SeekDataFile, ReadDataFile,
                                              EofDataFile,  IsDataFileIdle, CloseDataFile};
static const STREAMFUNCS g_memStreamFuncs = {BufStreamTell, BufStreamSeek,   BufStreamRead,
                                             BufStreamEof,  BufStreamIsIdle, CloseMemStream};

const STREAMFUNCS *GetFileStreamFuncs()
{
    return &g_fileStreamFuncs;
}

const STREAMFUNCS *GetMemStreamFuncs()
{
    return &g_memStreamFuncs;
}

void MakeStreamRef(STREAMREF *ref, const STREAMFUNCS *funcs, uintptr_t handle)
{
    ref->Tell = funcs->Tell;
    ref->Seek = funcs->Seek;
    ref->Read = funcs->Read;
    ref->Eof = funcs->Eof;
    ref->IsIdle = funcs->IsIdle;
    ref->Close = funcs->Close;
    ref->handle = handle;
}
