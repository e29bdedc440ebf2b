// File searches through the archive-aware layer.
#include "library/base/arcfile.h"

#include "library/base/filefind.h"
#include "library/base/memory.h"
#include "library/base/path.h"

uintptr_t ArcFindFirst(const char *pattern, FILEFINDINFO *out)
{
    if (pattern == nullptr) return FILE_SEARCH_NONE;
    ARCFINDREC *find = (ARCFINDREC *)AllocMemBlockZero(sizeof(ARCFINDREC), __FILE__, __LINE__);
    if (find == nullptr) return FILE_SEARCH_NONE;
    char inner[PATH_BUFFER_SIZE];
    int archive = -1;
    if (ResolveArchivePath(pattern, &archive, nullptr, inner) != 0) {
        find->inArchive = 0;
        find->diskSearch = DiskFindFirst(pattern, out);
        if (find->diskSearch == FILE_SEARCH_NONE) {
            FreeMemBlock(find);
            return FILE_SEARCH_NONE;
        }
        return (uintptr_t)find;
    }
    find->inArchive = 1;
    find->archive = archive;
    find->search = BeginArchiveSearch(GetArchiveRecord(archive), inner, out);
    if (find->search == ARCHIVE_SEARCH_NONE) {
        ReleaseArchiveReference(archive);
        FreeMemBlock(find);
        return FILE_SEARCH_NONE;
    }
    return (uintptr_t)find;
}

int ArcFindNext(uintptr_t search, FILEFINDINFO *out)
{
    if (search == 0 || search == FILE_SEARCH_NONE) return -1;
    ARCFINDREC *find = (ARCFINDREC *)search;
    if (!find->inArchive) return DiskFindNext(find->diskSearch, out);
    if (NextArchiveSearchMatch(find->search, out) != 0) return -1;
    find->search->next++;
    return 0;
}

int ArcFindClose(uintptr_t search)
{
    if (search == 0 || search == FILE_SEARCH_NONE) return -1;
    ARCFINDREC *find = (ARCFINDREC *)search;
    if (find->inArchive) {
        FreeMemBlock(find->search);
        ReleaseArchiveReference(find->archive);
    } else {
        DiskFindClose(find->diskSearch);
    }
    FreeMemBlock(find);
    return 0;
}
