// The archive-aware file layer: the set of file functions installed at start-up. A path whose
// leading folder has a KLA archive of the same name beside it (DATA\A.PNG and DATA.KLA) is
// served from inside the archive; any other path is a plain disk file. Archives stay open,
// shared by reference count, until the archive table fills or the library ends.
//
// The tables are not locked: the file layer is used from the main thread only.
#pragma once

#include "library/base/archive.h"
#include "library/base/stream.h"

#define ARC_MAX_ARCHIVES 512
#define ARC_MAX_FILES 512
#define ARC_HANDLE_FLAG 0xF0000000u
#define ARC_HANDLE_SLOT 0x0FFFFFFFu
#define ARC_PATH_SIZE 256
#define ARC_NO_ARCHIVE_FOLDERS 16

struct ARCHIVESLOT {
    int32_t refCount;
    ARCHIVEREC rec;
    char path[ARC_PATH_SIZE];  // upper case, as resolution builds it
};

struct OPENFILESLOT {
    int inArchive;
    DISKFILE *file;  // not in an archive
    int archive;     // in one
    ENTRYSTREAM stream;
};

struct ARCFINDREC {
    int inArchive;
    int archive;
    ENTRYSEARCH *search;   // in an archive
    uintptr_t diskSearch;  // else
};

struct ARCHIVEMANAGER {
    ARCHIVESLOT *archives[ARC_MAX_ARCHIVES];
    OPENFILESLOT *files[ARC_MAX_FILES];
    char extension[64];  // extensionLength 0: "KLA"
    int extensionLength;
    char keyString[17];  // up to 16 bytes
    int keyStringSet;
    int archiveCount;
    int fileCount;
    int cachedArchive;
    char cachedPath[ARC_PATH_SIZE];  // prefix, full stop, extension
    int cachedPrefixLength;          // 0: nothing cached
    // Folders (full, upper case, no closing separator) none of whose leading components has an
    // archive: their probes are skipped, since each probe is a failed open of a name that
    // resolution has to look for folder by folder. Forgotten when the directory changes, an
    // archive opens or the archive settings change (ForgetArchiveProbes).
    char noArchiveFolders[ARC_NO_ARCHIVE_FOLDERS][ARC_PATH_SIZE];
    int noArchiveCount;
    int noArchiveNext;  // the entry a new folder replaces once the list is full
};

// Start-up: clears the layer's state (closing whatever a previous run left open).
void InitArchiveManager();
// Library end: closes the archives no file or search uses; 0.
int ShutdownArchives();
void CloseUnusedArchives();
// Forgets which folders were found without an archive; whatever changes where archives may be
// found (the archive extension or key, new archive files) calls it.
void ForgetArchiveProbes();
// The layer's state, for inspection.
const ARCHIVEMANAGER *GetArchiveManager();

// The twelve operations of the set.
uintptr_t ArcFileOpen(const char *path, int useCache, int reserved, int async);
int ArcFileClose(uintptr_t handle);
int ArcFileTell(uintptr_t handle);
int ArcFileSeek(uintptr_t handle, int offset, int origin);
// Whole elements, as the plain files read.
int ArcFileRead(void *buffer, size_t elemSize, size_t count, uintptr_t handle);
int ArcFileEof(uintptr_t handle);
int ArcFileIsIdle(uintptr_t handle);
int ArcChangeDir(const char *path);  // 0 / -1
int ArcGetDir(char *buffer);         // FILE_DIR_BUFFER bytes; 0 / -1
uintptr_t ArcFindFirst(const char *pattern, FILEFINDINFO *out);
int ArcFindNext(uintptr_t search, FILEFINDINFO *out);
int ArcFindClose(uintptr_t search);

const FILEFUNCS *GetArchiveFileFuncs();

// Internal steps, open for the tests.
int BuildArchiveFullPath(char *out, const char *path);  // out: PATH_BUFFER_SIZE bytes; 0 / -1
int ResolveArchivePath(const char *path, int *archive, char *archivePath, char *innerPath);
int OpenArchiveByPath(int hint, const char *archivePath, int wholeLoad, int noWait);
// The record of a used archive entry, or null.
ARCHIVEREC *GetArchiveRecord(int number);
// Gives back one reference (never below 0).
void ReleaseArchiveReference(int number);
