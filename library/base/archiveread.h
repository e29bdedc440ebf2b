// Checked access to the records of an open archive, shared by the archive's own files. Every
// reader copies a record out of the header block after checking that it lies inside the block.
#pragma once

#include "library/base/archive.h"

bool ArchiveBlockHas(const ARCHIVEREC *rec, uint64_t offset, uint64_t length);
bool ReadArchiveDirRecord(const ARCHIVEREC *rec, uint32_t dirOffset, ARCHIVEDIR *out);
// The index-th entry of a folder (the folder's range was checked by ReadArchiveDirRecord).
bool ReadArchiveEntryAt(const ARCHIVEREC *rec, const ARCHIVEDIR *dir, uint32_t index, ARCHIVEENTRY *out);
// The NUL-terminated stored name of an entry, or null when it does not lie in the block.
const char *ArchiveEntryName(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry);
// The packed (upper-case) name of an entry and its length in bytes, or null.
const char *ArchiveEntryPackedName(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry, uint32_t *length);
// Reads count bytes at an archive position (-1: the file's own position), waits for them and
// unscrambles them. 0 / -1.
int ReadArchiveData(int64_t position, DISKFILE *file, void *dest, uint32_t count,
                    const uint8_t key[ARCHIVE_KEY_SIZE]);
// Walks the folders of a path from the current directory, as ChangeArchiveDir does. On -1 the
// key of the component that was not a folder is in stopKey, and stopIsLast tells whether it was
// the path's last component.
int WalkArchiveDirs(ARCHIVEREC *rec, const char *path, ARCHIVENAMEKEY *stopKey, int *stopIsLast);
