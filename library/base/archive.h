// KLA archives: one scrambled file (or memory image) holding a tree of folders and files, read
// as if its entries were disk files. All integers are little-endian. The reader trusts nothing in
// the archive: every offset, count, name and range is checked against the header block or the
// image before it is used, so a damaged archive fails to open or fails the entry.
//
// Main thread only, like the file layer above it; the only other thread is the reading thread of
// the archive's DISKFILE.
#pragma once

#include "library/base/archivekey.h"
#include "library/base/diskfile.h"

#include <cstddef>
#include <cstdint>

#define ARCHIVE_MAGIC0 'K'
#define ARCHIVE_MAGIC1 'L'
#define ARCHIVE_MAX_VERSION 3
#define ARCHIVE_HEAD_SIZE 24
#define ARCHIVE_ENTRY_SIZE_V1 40  // versions 0 and 1
#define ARCHIVE_ENTRY_SIZE 44     // versions 2 and 3
#define ARCHIVE_DIR_SIZE 16
#define ARCHIVE_ATTR_DIRECTORY 0x10u
#define ARCHIVE_STORED 0xFFFFFFFFu  // packed size of an entry stored as is
#define ARCHIVE_NO_PARENT 0xFFFFFFFFu
#define ARCHIVE_NAME_ROOM 1024  // packed name bytes of a name key

#pragma pack(push, 1)
struct ARCHIVEHEAD {
    char magic[2];
    uint16_t version;
    uint32_t headerBlockSize;
    uint32_t dataOffset;         // data area, from the start of the archive
    uint32_t headerBlockOffset;  // from the start of the archive
    uint32_t fileTableOffset;    // from the start of the header block
    uint32_t dirTableOffset;     // from the start of the header block
};

struct ARCHIVEENTRY {
    uint32_t nameOffset;  // from the start of the name table
    uint32_t attributes;  // 0x10 = directory
    uint64_t creationTime;  // FILETIME
    uint64_t accessTime;
    uint64_t writeTime;
    uint32_t dataOffset;  // file: from the data area; directory: its ARCHIVEDIR from the dir table
    uint32_t size;        // unpacked
    uint32_t packedSize;  // version 2 and later; ARCHIVE_STORED or the LZBLOCK size
};

struct ARCHIVEDIR {
    uint32_t entryOffset;  // the folder's own entry (never read)
    uint32_t parent;       // ARCHIVE_NO_PARENT for the root
    uint32_t entryCount;
    uint32_t firstEntry;   // offset in the file table
};
#pragma pack(pop)
static_assert(sizeof(ARCHIVEHEAD) == ARCHIVE_HEAD_SIZE);
static_assert(sizeof(ARCHIVEENTRY) == ARCHIVE_ENTRY_SIZE);
static_assert(sizeof(ARCHIVEDIR) == ARCHIVE_DIR_SIZE);

// A path component as the archive compares it.
struct ARCHIVENAMEKEY {
    uint8_t packed[ARCHIVE_NAME_ROOM];
    uint16_t sum;
    uint16_t words;  // 0: the component does not fit and matches nothing
};

// One open archive. Zero (ClearArchive) before it is opened; open while file or image is set.
struct ARCHIVEREC {
    ARCHIVEHEAD head;
    DISKFILE *file;        // file archive
    uint8_t *image;        // memory archive
    uint8_t *headerBlock;  // owned in file mode, inside the image for a memory archive
    uint32_t currentDir;   // offset of the current ARCHIVEDIR in the directory table
    uint8_t key[ARCHIVE_KEY_SIZE];
    int memoryImage;
    int callerOwnedImage;
    uint64_t imageSize;  // bytes of the image or the archive file
};

// The read state of one entry.
struct ENTRYSTREAM {
    ARCHIVEREC *archive;
    ARCHIVEENTRY entry;     // a checked copy of the entry
    uint8_t *decoded;       // packed entries: the whole unpacked data
    uint8_t *packedBuffer;  // while a packed entry's read is pending
    int endFlag;
    int32_t position;  // in unpacked bytes
    int async;
    int pending;  // 0 none, 1 packed entry read, 2 plain read
    int failed;   // a packed entry whose late (asynchronous) decode failed reads as empty
    uint64_t readPosition;  // archive position of the pending read
    void *pendingDest;
    uint32_t pendingSize;
};

struct FILEFINDINFO;

// One search of an archive folder.
struct ENTRYSEARCH {
    ARCHIVEREC *archive;
    char pattern[256];  // upper case
    uint32_t folder;    // ARCHIVEDIR offset
    uint32_t next;      // index of the next candidate
};

#define ARCHIVE_SEARCH_NONE ((ENTRYSEARCH *)(intptr_t)-1)

int ClearArchive(ARCHIVEREC *rec);
// The image is unscrambled in place and must stay writable and alive while the record is open.
// On failure it is left as it was given.
int OpenArchiveImage(ARCHIVEREC *rec, void *image, size_t imageSize, const char *keyString);
int OpenArchiveFile(ARCHIVEREC *rec, const char *path, const char *keyString);
int ReleaseArchive(ARCHIVEREC *rec);
int CloseArchiveRecord(ARCHIVEREC *rec);
void *WaitArchiveImage(ARCHIVEREC *rec);
// Position of the entry's bytes from the start of the archive and its unpacked size.
int LocateArchiveEntry(ARCHIVEREC *rec, const char *path, uint64_t *position, uint32_t *size);
int ChangeArchiveDir(ARCHIVEREC *rec, const char *path);
// The file entry a path names (folders never), copied out; 0 / -1.
int FindArchiveEntry(ARCHIVEREC *rec, const char *path, ARCHIVEENTRY *out);

int OpenArchiveStream(ENTRYSTREAM *stream, ARCHIVEREC *rec, const char *path, int async);
size_t ReadArchiveStream(ENTRYSTREAM *stream, void *dest, size_t count);
int SeekArchiveStream(ENTRYSTREAM *stream, int offset, int origin);
int TellArchiveStream(ENTRYSTREAM *stream);
int EofArchiveStream(ENTRYSTREAM *stream);
int PollArchiveStream(ENTRYSTREAM *stream);
int CloseArchiveStream(ENTRYSTREAM *stream);

ENTRYSEARCH *BeginArchiveSearch(ARCHIVEREC *rec, const char *pattern, FILEFINDINFO *out);
int NextArchiveSearchMatch(ENTRYSEARCH *search, FILEFINDINFO *out);
int SplitArchivePath(char *name, char *folder, const char *path);
int MatchWildcard(const char *name, const char *pattern);

// Internal steps, open for the tests and the writer.
void PackArchiveName(const char *component, ARCHIVENAMEKEY *key);
int EnterArchiveDir(ARCHIVEREC *rec, const ARCHIVENAMEKEY *key);
