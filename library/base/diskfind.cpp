// File searches on the disk, for the disk set of the file-function table.
#include "library/base/diskfile.h"
#include "library/base/filefind.h"

#include <cstring>

static void ToFileFindInfo(const WIN32_FIND_DATAA *data, FILEFINDINFO *out)
{
    if (out == nullptr) return;
    memset(out, 0, sizeof *out);
    size_t length = strnlen(data->cFileName, sizeof out->name - 1);
    memcpy(out->name, data->cFileName, length);
    out->directory = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    out->sizeLow = data->nFileSizeLow;
    out->sizeHigh = data->nFileSizeHigh;
    FileTimeToDateRec(&data->ftCreationTime, &out->creationTime);
    FileTimeToDateRec(&data->ftLastWriteTime, &out->writeTime);
}

uintptr_t DiskFindFirst(const char *pattern, FILEFINDINFO *out)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return FILE_SEARCH_NONE;
    ToFileFindInfo(&data, out);
    return (uintptr_t)find;
}

int DiskFindNext(uintptr_t search, FILEFINDINFO *out)
{
    WIN32_FIND_DATAA data;
    if (search == FILE_SEARCH_NONE || search == 0 || !FindNextFileA((HANDLE)search, &data)) return -1;
    ToFileFindInfo(&data, out);
    return 0;
}

int DiskFindClose(uintptr_t search)
{
    if (search == FILE_SEARCH_NONE || search == 0) return -1;
    return FindClose((HANDLE)search) ? 0 : -1;
}
