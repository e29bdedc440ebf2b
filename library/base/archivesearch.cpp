// Searching an archive folder: ".", "..", then the folder's entries, matched by wildcard.
#include "library/base/archive.h"

#include "library/base/archiveread.h"
#include "library/base/filefind.h"
#include "library/base/memory.h"
#include "library/base/pathchar.h"

#include <cstring>

#define SEARCH_FOLDER_ROOM 1024

static void UpperCase(char *text)
{
    for (char *p = text; *p != '\0';) {
        int step = PathCharLength(p);
        if (step == 1 && *p >= 'a' && *p <= 'z') *p = (char)(*p - 'a' + 'A');
        p += step;
    }
}

int SplitArchivePath(char *name, char *folder, const char *path)
{
    int cut = -1;
    for (int i = 0; path[i] != '\0'; i += PathCharLength(path + i))
        if (IsPathSeparator(path[i]) || path[i] == ':') cut = i;
    if (name != nullptr) strcpy(name, path + cut + 1);
    if (folder != nullptr) {
        size_t length = cut < 0 ? 0 : (size_t)cut;
        memcpy(folder, path, length);
        folder[length] = '\0';
    }
    return 0;
}

int MatchWildcard(const char *name, const char *pattern)
{
    const char *n = name, *p = pattern;
    // Driven by the name's bytes: a star at the end of the pattern is never reached once the name
    // has ended, so "ABC*" does not match "ABC".
    while (*n != '\0') {
        if (*p == '*') {
            while (*p == '*') p++;
            if (*p == '\0') return 0;
            int length = PathCharLength(p);
            while (*n != '\0' && strncmp(n, p, (size_t)length) != 0) n += PathCharLength(n);
            if (*n == '\0') return -1;
            n += length;
            p += length;
        } else if (IsPathLeadByte((unsigned char)*p) && p[1] != '\0') {
            if (n[0] != p[0] || n[1] != p[1]) return -1;
            n += 2;
            p += 2;
        } else if (*p == '?') {
            n++;
            p++;
        } else if (*p == *n) {
            n++;
            p++;
        } else {
            return -1;
        }
    }
    return *p == '\0' ? 0 : -1;
}

static void FillPseudo(FILEFINDINFO *out, const char *name)
{
    if (out == nullptr) return;
    memset(out, 0, sizeof *out);
    strcpy(out->name, name);
    out->directory = 1;
}

static void FillEntry(const ARCHIVEREC *rec, const ARCHIVEENTRY *entry, const char *storedName, FILEFINDINFO *out)
{
    if (out == nullptr) return;
    memset(out, 0, sizeof *out);
    size_t length = strnlen(storedName, sizeof out->name - 1);
    memcpy(out->name, storedName, length);
    out->directory = (entry->attributes & ARCHIVE_ATTR_DIRECTORY) ? 1 : 0;
    out->sizeLow = entry->size;
    FILETIME created = {(DWORD)entry->creationTime, (DWORD)(entry->creationTime >> 32)};
    FILETIME written = {(DWORD)entry->writeTime, (DWORD)(entry->writeTime >> 32)};
    FileTimeToDateRec(&created, &out->creationTime);
    FileTimeToDateRec(&written, &out->writeTime);
    (void)rec;
}

// Candidates: 0 ".", 1 ".." (not in the root), then 2 + the index of each entry.
int NextArchiveSearchMatch(ENTRYSEARCH *search, FILEFINDINFO *out)
{
    ARCHIVEREC *rec = search->archive;
    ARCHIVEDIR dir;
    if (!ReadArchiveDirRecord(rec, search->folder, &dir)) return -1;
    for (uint32_t i = search->next; i < 2 + (uint64_t)dir.entryCount; i++) {
        if (i < 2) {
            if (i == 1 && dir.parent == ARCHIVE_NO_PARENT) continue;
            const char *name = i == 0 ? "." : "..";
            if (MatchWildcard(name, search->pattern) == 0) {
                FillPseudo(out, name);
                search->next = i;
                return 0;
            }
            continue;
        }
        ARCHIVEENTRY entry;
        uint32_t length;
        if (!ReadArchiveEntryAt(rec, &dir, i - 2, &entry)) return -1;
        const char *packed = ArchiveEntryPackedName(rec, &entry, &length);
        const char *stored = ArchiveEntryName(rec, &entry);
        if (packed == nullptr || stored == nullptr) continue;
        if (MatchWildcard(packed, search->pattern) == 0) {
            FillEntry(rec, &entry, stored, out);
            search->next = i;
            return 0;
        }
    }
    search->next = 2 + dir.entryCount;
    return -1;
}

ENTRYSEARCH *BeginArchiveSearch(ARCHIVEREC *rec, const char *pattern, FILEFINDINFO *out)
{
    if (rec->headerBlock == nullptr || pattern == nullptr || strlen(pattern) >= SEARCH_FOLDER_ROOM)
        return ARCHIVE_SEARCH_NONE;
    char folder[SEARCH_FOLDER_ROOM], name[SEARCH_FOLDER_ROOM];
    SplitArchivePath(name, folder, pattern);
    ENTRYSEARCH *search = (ENTRYSEARCH *)AllocMemBlockZero(sizeof(ENTRYSEARCH), __FILE__, __LINE__);
    if (search == nullptr) return ARCHIVE_SEARCH_NONE;
    if (strlen(name) >= sizeof search->pattern) {
        FreeMemBlock(search);
        return ARCHIVE_SEARCH_NONE;
    }
    UpperCase(folder);
    UpperCase(name);
    strcpy(search->pattern, name);
    search->archive = rec;
    search->folder = rec->currentDir;
    if (folder[0] != '\0') {
        uint32_t saved = rec->currentDir;
        int entered = ChangeArchiveDir(rec, folder);
        search->folder = rec->currentDir;
        rec->currentDir = saved;
        if (entered != 0) {
            FreeMemBlock(search);
            return ARCHIVE_SEARCH_NONE;
        }
    }
    if (NextArchiveSearchMatch(search, out) != 0) {
        FreeMemBlock(search);
        return ARCHIVE_SEARCH_NONE;
    }
    search->next++;
    return search;
}
