// File searches wait for the date records of the time module; until then every search finds
// nothing. No loader calls the search slots.
#include "library/base/arcfile.h"
#include "library/base/diskfile.h"

uintptr_t DiskFindFirst(const char *, FILEFINDINFO *) { return FILE_SEARCH_NONE; }
int DiskFindNext(uintptr_t, FILEFINDINFO *) { return -1; }
int DiskFindClose(uintptr_t) { return -1; }
uintptr_t ArcFindFirst(const char *, FILEFINDINFO *) { return FILE_SEARCH_NONE; }
int ArcFindNext(uintptr_t, FILEFINDINFO *) { return -1; }
int ArcFindClose(uintptr_t) { return -1; }
