// The archive-aware file layer: resolution of paths to archives, the archive table and the
// open-file table, and the file operations over them. Main thread only.
#include "library/base/arcfile.h"

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/base/pathchar.h"

#include <cstring>

static ARCHIVEMANAGER g_arc;

const ARCHIVEMANAGER *GetArchiveManager()
{
    return &g_arc;
}

// ---- the archive table --------------------------------------------------------------

static void FreeArchiveSlot(int number)
{
    ReleaseArchive(&g_arc.archives[number]->rec);
    FreeMemBlock(g_arc.archives[number]);
    g_arc.archives[number] = nullptr;
    g_arc.archiveCount--;
    if (g_arc.cachedPrefixLength > 0 && g_arc.cachedArchive == number) g_arc.cachedPrefixLength = 0;
}

void CloseUnusedArchives()
{
    for (int i = 0; i < ARC_MAX_ARCHIVES; i++)
        if (g_arc.archives[i] != nullptr && g_arc.archives[i]->refCount <= 0) FreeArchiveSlot(i);
}

void ReleaseArchiveReference(int number)
{
    if (number < 0 || number >= ARC_MAX_ARCHIVES || g_arc.archives[number] == nullptr) return;
    if (g_arc.archives[number]->refCount > 0) g_arc.archives[number]->refCount--;
}

ARCHIVEREC *GetArchiveRecord(int number)
{
    if (number < 0 || number >= ARC_MAX_ARCHIVES || g_arc.archives[number] == nullptr) return nullptr;
    return &g_arc.archives[number]->rec;
}

int OpenArchiveByPath(int hint, const char *archivePath, int, int)
{
    if (hint >= 0 && hint < ARC_MAX_ARCHIVES && g_arc.archives[hint] != nullptr &&
        strcmp(g_arc.archives[hint]->path, archivePath) == 0) {
        g_arc.archives[hint]->refCount++;
        return hint;
    }
    for (int i = 0; i < ARC_MAX_ARCHIVES; i++) {
        if (g_arc.archives[i] != nullptr && strcmp(g_arc.archives[i]->path, archivePath) == 0) {
            g_arc.archives[i]->refCount++;
            return i;
        }
    }
    if (strlen(archivePath) >= ARC_PATH_SIZE) return -1;
    int number = -1;
    for (int pass = 0; pass < 2 && number < 0; pass++) {
        if (pass == 1) CloseUnusedArchives();
        for (int i = 0; i < ARC_MAX_ARCHIVES && number < 0; i++)
            if (g_arc.archives[i] == nullptr) number = i;
    }
    if (number < 0) return -1;
    ARCHIVESLOT *slot = (ARCHIVESLOT *)AllocMemBlockZero(sizeof(ARCHIVESLOT), __FILE__, __LINE__);
    if (slot == nullptr) return -1;
    if (OpenArchiveFile(&slot->rec, archivePath, g_arc.keyStringSet ? g_arc.keyString : nullptr) != 0) {
        FreeMemBlock(slot);
        return -1;
    }
    slot->refCount = 1;
    strcpy(slot->path, archivePath);
    g_arc.archives[number] = slot;
    g_arc.archiveCount++;
    ForgetArchiveProbes();
    return number;
}

// ---- folders known to have no archive --------------------------------------------------

void ForgetArchiveProbes()
{
    g_arc.noArchiveCount = 0;
    g_arc.noArchiveNext = 0;
}

// The first `length` bytes of `full` (a prefix ending before a separator) lie inside a folder
// whose every leading component was probed without finding an archive.
static bool ProbedWithoutArchive(const char *full, size_t length)
{
    for (int i = 0; i < g_arc.noArchiveCount; i++) {
        const char *folder = g_arc.noArchiveFolders[i];
        if (strncmp(folder, full, length) == 0 && (folder[length] == '\0' || IsPathSeparator(folder[length])))
            return true;
    }
    return false;
}

static void NoteFolderWithoutArchive(const char *full, size_t length)
{
    if (length == 0 || length >= ARC_PATH_SIZE || ProbedWithoutArchive(full, length)) return;
    char *entry = g_arc.noArchiveFolders[g_arc.noArchiveNext];
    memcpy(entry, full, length);
    entry[length] = '\0';
    g_arc.noArchiveNext = (g_arc.noArchiveNext + 1) % ARC_NO_ARCHIVE_FOLDERS;
    if (g_arc.noArchiveCount < ARC_NO_ARCHIVE_FOLDERS) g_arc.noArchiveCount++;
}

// ---- resolution ---------------------------------------------------------------------

int BuildArchiveFullPath(char *out, const char *path)
{
    char dir[FILE_DIR_BUFFER];
    DWORD length = GetCurrentDirectoryA(FILE_DIR_BUFFER, dir);
    if (length == 0 || length >= FILE_DIR_BUFFER) return -1;
    if (BuildFullPathUnc(path, out, dir) != 0) return -1;
    for (char *p = out; *p != '\0';) {
        int step = PathCharLength(p);
        if (step == 1 && *p >= 'a' && *p <= 'z') *p = (char)(*p - 'a' + 'A');
        p += step;
    }
    return 0;
}

static int ArchivePathOf(const char *full, size_t prefixLength, char *archivePath)
{
    const char *extension = g_arc.extensionLength > 0 ? g_arc.extension : "KLA";
    if (prefixLength + 1 + strlen(extension) >= ARC_PATH_SIZE) return -1;
    memcpy(archivePath, full, prefixLength);
    archivePath[prefixLength] = '.';
    strcpy(archivePath + prefixLength + 1, extension);
    return 0;
}

static void CopyOut(char *out, const char *text)
{
    if (out == nullptr) return;
    size_t length = strnlen(text, PATH_BUFFER_SIZE - 1);
    memcpy(out, text, length);
    out[length] = '\0';
}

int ResolveArchivePath(const char *path, int *archive, char *archivePath, char *innerPath)
{
    char full[PATH_BUFFER_SIZE];
    if (BuildArchiveFullPath(full, path) != 0) return -1;

    size_t cached = (size_t)g_arc.cachedPrefixLength;
    if (cached > 0 && strncmp(full, g_arc.cachedPath, cached) == 0 && IsPathSeparator(full[cached])) {
        int number = OpenArchiveByPath(g_arc.cachedArchive, g_arc.cachedPath, 0, 0);
        if (number < 0) return -1;
        *archive = number;
        CopyOut(archivePath, g_arc.cachedPath);
        CopyOut(innerPath, full + cached + 1);
        return 0;
    }

    // The leading components, shortest first; the last one (the file name) is never tried.
    size_t start = (IsPathSeparator(full[0]) && IsPathSeparator(full[1])) ? 2 : 0;
    size_t folderEnd = 0;
    for (size_t end = start;;) {
        while (full[end] != '\0' && !IsPathSeparator(full[end])) end += (size_t)PathCharLength(full + end);
        if (full[end] == '\0') {
            NoteFolderWithoutArchive(full, folderEnd);
            return -1;
        }
        if (end == start) return -1;  // an empty component
        folderEnd = end;
        char candidate[ARC_PATH_SIZE];
        if (!ProbedWithoutArchive(full, end) && ArchivePathOf(full, end, candidate) == 0) {
            int number = OpenArchiveByPath(-1, candidate, 0, 0);
            if (number >= 0) {
                strcpy(g_arc.cachedPath, candidate);
                g_arc.cachedPrefixLength = (int)end;
                g_arc.cachedArchive = number;
                *archive = number;
                CopyOut(archivePath, candidate);
                CopyOut(innerPath, full + end + 1);
                return 0;
            }
        }
        start = ++end;
    }
}

// ---- open files ---------------------------------------------------------------------

static OPENFILESLOT *SlotOf(uintptr_t handle)
{
    if ((handle & ~(uintptr_t)ARC_HANDLE_SLOT) != ARC_HANDLE_FLAG) return nullptr;
    uintptr_t slot = handle & ARC_HANDLE_SLOT;
    return slot < ARC_MAX_FILES ? g_arc.files[slot] : nullptr;
}

uintptr_t ArcFileOpen(const char *path, int useCache, int, int async)
{
    if (path == nullptr) return 0;
    if (g_arc.fileCount >= ARC_MAX_FILES) {
        WriteLog("同時に開けるファイルの数が限界を超えました\n");
        return 0;
    }
    int number = 0;
    while (g_arc.files[number] != nullptr) number++;
    OPENFILESLOT *slot = (OPENFILESLOT *)AllocMemBlockZero(sizeof(OPENFILESLOT), __FILE__, __LINE__);
    if (slot == nullptr) {
        WriteLog("ファイルの情報を格納するメモリの確保に失敗しました\n");
        return 0;
    }
    char inner[PATH_BUFFER_SIZE];
    int archive = -1;
    bool opened;
    if (ResolveArchivePath(path, &archive, nullptr, inner) != 0) {
        slot->inArchive = 0;
        slot->file = DiskFileOpen(path, useCache, 1, async);
        opened = slot->file != nullptr;
    } else {
        // A file missing from an archive that opened is not looked for on disk.
        slot->inArchive = 1;
        slot->archive = archive;
        opened = OpenArchiveStream(&slot->stream, &g_arc.archives[archive]->rec, inner, async) == 0;
        if (!opened) ReleaseArchiveReference(archive);
    }
    if (!opened) {
        FreeMemBlock(slot);
        return 0;
    }
    g_arc.files[number] = slot;
    g_arc.fileCount++;
    return (uintptr_t)number | ARC_HANDLE_FLAG;
}

int ArcFileClose(uintptr_t handle)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    if (slot->inArchive) {
        ReleaseArchiveReference(slot->archive);
        CloseArchiveStream(&slot->stream);
    } else {
        DiskFileClose(slot->file);
    }
    FreeMemBlock(slot);
    g_arc.files[handle & ARC_HANDLE_SLOT] = nullptr;
    g_arc.fileCount--;
    return 0;
}

int ArcFileTell(uintptr_t handle)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    return slot->inArchive ? TellArchiveStream(&slot->stream) : DiskFileTell(slot->file);
}

int ArcFileSeek(uintptr_t handle, int offset, int origin)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    return slot->inArchive ? SeekArchiveStream(&slot->stream, offset, origin) : DiskFileSeek(slot->file, offset, origin);
}

int ArcFileRead(void *buffer, size_t elemSize, size_t count, uintptr_t handle)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    if (!slot->inArchive) return DiskFileRead(buffer, elemSize, count, slot->file);
    if (elemSize == 0) return 0;
    // Whole elements, so that a reader sees the same counts from an archive as from a disk file.
    ENTRYSTREAM *stream = &slot->stream;
    size_t remaining = (size_t)(stream->entry.size - (uint32_t)TellArchiveStream(stream));
    if (stream->failed) remaining = 0;
    size_t n = count < remaining / elemSize ? count : remaining / elemSize;
    if (remaining > 0 && n == 0) {
        stream->endFlag = 1;
        return 0;
    }
    return (int)(ReadArchiveStream(stream, buffer, n * elemSize) / elemSize);
}

int ArcFileEof(uintptr_t handle)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    return slot->inArchive ? EofArchiveStream(&slot->stream) : DiskFileEof(slot->file);
}

int ArcFileIsIdle(uintptr_t handle)
{
    OPENFILESLOT *slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    return slot->inArchive ? PollArchiveStream(&slot->stream) : DiskFileIsIdle(slot->file);
}

int ArcChangeDir(const char *path)
{
    if (!SetCurrentDirectoryA(path)) return -1;
    ForgetArchiveProbes();
    return 0;
}

int ArcGetDir(char *buffer)
{
    DWORD length = GetCurrentDirectoryA(FILE_DIR_BUFFER, buffer);
    return (length == 0 || length >= FILE_DIR_BUFFER) ? -1 : 0;
}

// ---- life -----------------------------------------------------------------------------

void InitArchiveManager()
{
    for (int i = 0; i < ARC_MAX_FILES; i++)
        if (g_arc.files[i] != nullptr) ArcFileClose((uintptr_t)i | ARC_HANDLE_FLAG);
    for (int i = 0; i < ARC_MAX_ARCHIVES; i++)
        if (g_arc.archives[i] != nullptr) FreeArchiveSlot(i);
    memset(&g_arc, 0, sizeof g_arc);
}

int ShutdownArchives()
{
    CloseUnusedArchives();
    return 0;
}

static const FILEFUNCS g_archiveFileFuncs = {ArcFileOpen,  ArcFileClose, ArcFileTell,   ArcFileSeek,
                                             ArcFileRead,  ArcFileEof,   ArcFileIsIdle, ArcChangeDir,
                                             ArcGetDir,    ArcFindFirst, ArcFindNext,   ArcFindClose};

const FILEFUNCS *GetArchiveFileFuncs()
{
    return &g_archiveFileFuncs;
}
