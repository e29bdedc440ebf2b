// The X reader's steps: the fill step alone (file image -> read data) and the tree walk under it.
#pragma once

struct XOBJECTLIST;
struct MODELLOADDATA;

// The parsed tree walked into the read data. 0, or -1 after a "Load XFile : " line.
int ConvertXObjectTree(XOBJECTLIST *list, MODELLOADDATA *data);
// The file image parsed and walked into a new read data, which the caller then owns. 0, or -1
// (the read data already released; silently for a file that is not an X file).
int FillXLoadData(const void *image, int size, const char *path, const char *name, MODELLOADDATA *data);
