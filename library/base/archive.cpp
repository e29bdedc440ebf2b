// Opening and closing KLA archives, names, folders and entry lookup.
#include "library/base/archive.h"

#include "library/base/archiveread.h"
#include "library/base/memory.h"
#include "library/base/pathchar.h"

#include <cstring>

// ---- checked records -------------------------------------------------------------

static uint32_t EntryStride(const ARCHIVEREC *rec)
{
    return rec->head.version < 2 ? ARCHIVE_ENTRY_SIZE_V1 : ARCHIVE_ENTRY_SIZE;
}

bool ArchiveBlockHas(const ARCHIVEREC *rec, uint64_t offset, uint64_t length)
{
    uint64_t size = rec->head.headerBlockSize;
    return offset <= size && length <= size - offset;
}

bool ReadArchiveDirRecord(const ARCHIVEREC *rec, uint32_t dirOffset, ARCHIVEDIR *out)
{
    uint64_t at = (uint64_t)rec->head.dirTableOffset + dirOffset;
    if (!ArchiveBlockHas(rec, at, ARCHIVE_DIR_SIZE)) return false;
    memcpy(out, rec->headerBlock + at, ARCHIVE_DIR_SIZE);
    // The folder's entries must lie in the block, so that walking them stays inside it.
    uint64_t first = (uint64_t)rec->head.fileTableOffset + out->firstEntry;
    return ArchiveBlockHas(rec, first, (uint64_t)out->entryCount * EntryStride(rec));
}

bool ReadArchiveEntryAt(const ARCHIVEREC *rec, const ARCHIVEDIR *dir, uint32_t index, ARCHIVEENTRY *out)
{
    if (index >= dir->entryCount) return false;
    uint32_t stride = EntryStride(rec);
    uint64_t at = (uint64_t)rec->head.fileTableOffset + dir->firstEntry + (uint64_t)index * stride;
    if (!ArchiveBlockHas(rec, at, stride)) return false;
    memset(out, 0, sizeof *out);
    memcpy(out, rec->headerBlock + at, stride);
    if (rec->head.version < 2) out->packedSize = ARCHIVE_STORED;
    return true;
}

// The name record of an entry: its word count, checked against the block.
static const uint8_t *NameRecord(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry, uint16_t *words, uint16_t *sum)
{
    uint64_t at = entry->nameOffset;
    if (!ArchiveBlockHas(rec, at, 4)) return nullptr;
    const uint8_t *p = rec->headerBlock + at;
    *words = (uint16_t)(p[0] | p[1] << 8);
    *sum = (uint16_t)(p[2] | p[3] << 8);
    if (!ArchiveBlockHas(rec, at + 4, (uint64_t)*words * 4)) return nullptr;
    return p;
}

const char *ArchiveEntryPackedName(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry, uint32_t *length)
{
    uint16_t words, sum;
    const uint8_t *p = NameRecord(rec, entry, &words, &sum);
    if (p == nullptr || words == 0) return nullptr;
    // The packed name always ends in at least one zero byte.
    const char *name = (const char *)p + 4;
    if (name[words * 4 - 1] != '\0') return nullptr;
    *length = (uint32_t)strlen(name);
    return name;
}

const char *ArchiveEntryName(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry)
{
    uint16_t words, sum;
    const uint8_t *p = NameRecord(rec, entry, &words, &sum);
    if (p == nullptr) return nullptr;
    uint64_t at = (uint64_t)entry->nameOffset + 4 + (uint64_t)words * 4;
    uint64_t room = rec->head.headerBlockSize - at;
    const char *name = (const char *)rec->headerBlock + at;
    if (memchr(name, '\0', room) == nullptr) return nullptr;
    return name;
}

static bool NameMatches(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry, const ARCHIVENAMEKEY *key)
{
    uint16_t words, sum;
    const uint8_t *p = NameRecord(rec, entry, &words, &sum);
    return p != nullptr && key->words != 0 && words == key->words && sum == key->sum &&
           memcmp(p + 4, key->packed, (size_t)words * 4) == 0;
}

// ---- names ------------------------------------------------------------------------

// Packs one component (up to the next separator or the end); returns the bytes it took.
static size_t PackComponent(const char *s, ARCHIVENAMEKEY *key)
{
    size_t in = 0, out = 0;
    bool fits = true;
    uint16_t sum = 0;
    while (s[in] != '\0' && !IsPathSeparator(s[in])) {
        int length = PathCharLength(s + in);
        if (out + length >= ARCHIVE_NAME_ROOM) fits = false;
        for (int i = 0; i < length; i++, in++) {
            uint8_t c = (uint8_t)s[in];
            if (length == 1 && c >= 'a' && c <= 'z') c = (uint8_t)(c - 'a' + 'A');
            if (fits) {
                key->packed[out++] = c;
                sum = (uint16_t)(sum + c);
            }
        }
    }
    if (!fits) {
        key->words = 0;
        key->sum = 0;
        return in;
    }
    size_t words = out / 4 + 1;
    memset(key->packed + out, 0, words * 4 - out);
    key->words = (uint16_t)words;
    key->sum = sum;
    return in;
}

void PackArchiveName(const char *component, ARCHIVENAMEKEY *key)
{
    PackComponent(component, key);
}

// ---- folders ----------------------------------------------------------------------

static int FindInCurrentDir(ARCHIVEREC *rec, const ARCHIVENAMEKEY *key, bool wantDir, ARCHIVEENTRY *out)
{
    ARCHIVEDIR dir;
    if (!ReadArchiveDirRecord(rec, rec->currentDir, &dir)) return -1;
    for (uint32_t i = 0; i < dir.entryCount; i++) {
        ARCHIVEENTRY entry;
        if (!ReadArchiveEntryAt(rec, &dir, i, &entry)) return -1;
        bool isDir = (entry.attributes & ARCHIVE_ATTR_DIRECTORY) != 0;
        if (isDir == wantDir && NameMatches(rec, &entry, key)) {
            *out = entry;
            return 0;
        }
    }
    return -1;
}

int EnterArchiveDir(ARCHIVEREC *rec, const ARCHIVENAMEKEY *key)
{
    ARCHIVEENTRY entry;
    ARCHIVEDIR dir;
    if (FindInCurrentDir(rec, key, true, &entry) != 0) return -1;
    if (!ReadArchiveDirRecord(rec, entry.dataOffset, &dir)) return -1;
    rec->currentDir = entry.dataOffset;
    return 0;
}

static bool HasSeparator(const char *path)
{
    for (const char *p = path; *p != '\0'; p += PathCharLength(p))
        if (IsPathSeparator(*p)) return true;
    return false;
}

int WalkArchiveDirs(ARCHIVEREC *rec, const char *path, ARCHIVENAMEKEY *stopKey, int *stopIsLast)
{
    *stopIsLast = 0;
    if (strcmp(path, ".") == 0) return 0;
    if (strcmp(path, "\\") == 0 || strcmp(path, "/") == 0) {
        rec->currentDir = 0;
        return 0;
    }
    if (strcmp(path, "..") == 0) {
        ARCHIVEDIR dir, parent;
        if (!ReadArchiveDirRecord(rec, rec->currentDir, &dir) || dir.parent == ARCHIVE_NO_PARENT) return -1;
        if (!ReadArchiveDirRecord(rec, dir.parent, &parent)) return -1;
        rec->currentDir = dir.parent;
        return 0;
    }
    if (!HasSeparator(path)) {
        PackComponent(path, stopKey);
        *stopIsLast = 1;
        return EnterArchiveDir(rec, stopKey);
    }
    const char *p = path;
    if (IsPathSeparator(*p)) {
        rec->currentDir = 0;
        p++;
    }
    while (*p != '\0') {
        const char *end = p + PackComponent(p, stopKey);
        bool last = *end == '\0' || end[1] == '\0';
        if (EnterArchiveDir(rec, stopKey) != 0) {
            *stopIsLast = last;
            return -1;
        }
        if (*end == '\0') break;
        p = end + 1;
    }
    return 0;
}

int ChangeArchiveDir(ARCHIVEREC *rec, const char *path)
{
    ARCHIVENAMEKEY key;
    int last;
    if (rec->headerBlock == nullptr || path == nullptr) return -1;
    return WalkArchiveDirs(rec, path, &key, &last);
}

int FindArchiveEntry(ARCHIVEREC *rec, const char *path, ARCHIVEENTRY *out)
{
    if (rec->headerBlock == nullptr || path == nullptr) return -1;
    uint32_t saved = rec->currentDir;
    ARCHIVENAMEKEY key;
    int result;
    if (!HasSeparator(path)) {
        PackComponent(path, &key);
        result = FindInCurrentDir(rec, &key, false, out);
    } else {
        int last;
        // Only the last component may name the file: "A.PNG\X" names nothing.
        if (WalkArchiveDirs(rec, path, &key, &last) == 0 || !last) result = -1;
        else result = FindInCurrentDir(rec, &key, false, out);
    }
    rec->currentDir = saved;
    return result;
}

int LocateArchiveEntry(ARCHIVEREC *rec, const char *path, uint64_t *position, uint32_t *size)
{
    ARCHIVEENTRY entry;
    if (FindArchiveEntry(rec, path, &entry) != 0) return -1;
    if (position != nullptr) *position = (uint64_t)rec->head.dataOffset + entry.dataOffset;
    if (size != nullptr) *size = entry.size;
    return 0;
}

// ---- opening and closing ------------------------------------------------------------

int ClearArchive(ARCHIVEREC *rec)
{
    memset(rec, 0, sizeof *rec);
    return 0;
}

static bool IsOpen(const ARCHIVEREC *rec)
{
    return rec->file != nullptr || rec->image != nullptr;
}

static bool HasMagic(const ARCHIVEHEAD *head)
{
    return head->magic[0] == ARCHIVE_MAGIC0 && head->magic[1] == ARCHIVE_MAGIC1;
}

// The head's own ranges against the archive's size; the root folder must exist.
static bool HeadIsSound(const ARCHIVEHEAD *head, uint64_t archiveSize)
{
    uint64_t block = head->headerBlockSize;
    return head->version <= ARCHIVE_MAX_VERSION && head->headerBlockOffset <= archiveSize &&
           block <= archiveSize - head->headerBlockOffset && head->dataOffset <= archiveSize &&
           head->fileTableOffset <= block && head->dirTableOffset <= block &&
           ARCHIVE_DIR_SIZE <= block - head->dirTableOffset;
}

static bool RootIsSound(const ARCHIVEREC *rec)
{
    ARCHIVEDIR root;
    return ReadArchiveDirRecord(rec, 0, &root);
}

int OpenArchiveImage(ARCHIVEREC *rec, void *image, size_t imageSize, const char *keyString)
{
    if (IsOpen(rec) || image == nullptr || imageSize < ARCHIVE_HEAD_SIZE) return -1;
    uint8_t *bytes = (uint8_t *)image;
    BuildArchiveKey(keyString, rec->key);
    memcpy(&rec->head, bytes, ARCHIVE_HEAD_SIZE);
    XorArchiveData(ARCHIVE_HEAD_SIZE, &rec->head, 0, rec->key);
    if (!HasMagic(&rec->head)) {
        BuildArchiveSecondKey(rec->key);
        memcpy(&rec->head, bytes, ARCHIVE_HEAD_SIZE);
        XorArchiveData(ARCHIVE_HEAD_SIZE, &rec->head, 0, rec->key);
        if (!HasMagic(&rec->head)) {
            ClearArchive(rec);
            return -1;
        }
    }
    XorArchiveData(imageSize, bytes, 0, rec->key);
    memcpy(&rec->head, bytes, ARCHIVE_HEAD_SIZE);
    rec->headerBlock = bytes + rec->head.headerBlockOffset;
    rec->imageSize = imageSize;
    if (!HeadIsSound(&rec->head, imageSize) || !RootIsSound(rec)) {
        // Refused: the caller gets its bytes back as they were.
        XorArchiveData(imageSize, bytes, 0, rec->key);
        ClearArchive(rec);
        return -1;
    }
    rec->image = bytes;
    rec->currentDir = 0;
    rec->memoryImage = 1;
    rec->callerOwnedImage = 1;
    return 0;
}

int ReadArchiveData(int64_t position, DISKFILE *file, void *dest, uint32_t count,
                    const uint8_t key[ARCHIVE_KEY_SIZE])
{
    if (position >= 0) {
        if (position > 0x7FFFFFFF || DiskFileSeek(file, (int)position, 0) != 0) return -1;
    } else {
        position = DiskFileTell(file);
    }
    if (count == 0) return 0;
    if (count > 0x7FFFFFFFu || (uint32_t)DiskFileReadWait(dest, (int)count, file) != count) return -1;
    XorArchiveData(count, dest, (uint64_t)position, key);
    return 0;
}

static int FailFileOpen(ARCHIVEREC *rec, DISKFILE *file)
{
    if (rec->headerBlock != nullptr) FreeMemBlock(rec->headerBlock);
    DiskFileClose(file);
    ClearArchive(rec);
    return -1;
}

int OpenArchiveFile(ARCHIVEREC *rec, const char *path, const char *keyString)
{
    if (IsOpen(rec)) return -1;
    DISKFILE *file = DiskFileOpen(path, 0, 0, 1);
    if (file == nullptr) return -1;
    rec->imageSize = (uint64_t)file->size;
    if (rec->imageSize < ARCHIVE_HEAD_SIZE) return FailFileOpen(rec, file);
    BuildArchiveKey(keyString, rec->key);
    if (ReadArchiveData(0, file, &rec->head, ARCHIVE_HEAD_SIZE, rec->key) != 0) return FailFileOpen(rec, file);
    if (!HasMagic(&rec->head)) {
        BuildArchiveSecondKey(rec->key);
        if (ReadArchiveData(0, file, &rec->head, ARCHIVE_HEAD_SIZE, rec->key) != 0 || !HasMagic(&rec->head))
            return FailFileOpen(rec, file);
    }
    if (!HeadIsSound(&rec->head, rec->imageSize)) return FailFileOpen(rec, file);
    rec->headerBlock = (uint8_t *)AllocMemBlock(rec->head.headerBlockSize, __FILE__, __LINE__);
    if (rec->headerBlock == nullptr ||
        ReadArchiveData(rec->head.headerBlockOffset, file, rec->headerBlock, rec->head.headerBlockSize, rec->key) != 0 ||
        !RootIsSound(rec))
        return FailFileOpen(rec, file);
    rec->file = file;
    rec->currentDir = 0;
    rec->memoryImage = 0;
    rec->callerOwnedImage = 0;
    return 0;
}

int ReleaseArchive(ARCHIVEREC *rec)
{
    if (!IsOpen(rec)) return 0;
    if (rec->file != nullptr) {
        DiskFileClose(rec->file);
        FreeMemBlock(rec->headerBlock);
    } else if (rec->callerOwnedImage) {
        XorArchiveData(rec->imageSize, rec->image, 0, rec->key);
    }
    ClearArchive(rec);
    return 0;
}

int CloseArchiveRecord(ARCHIVEREC *rec)
{
    ReleaseArchive(rec);
    return ClearArchive(rec);
}

void *WaitArchiveImage(ARCHIVEREC *rec)
{
    return rec->memoryImage ? rec->image : nullptr;
}
