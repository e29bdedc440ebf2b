// Every file the game opens itself (key bindings, map grids, the save) goes through here, so
// its Windows-shaped names ("DataForWork\\doust.bin") reach the host through the library's
// own path mapping.
#pragma once

#include <cstdio>

// fopen over the path mapping; null when the file does not open or the path does not map.
FILE *OpenGameFile(const char *path, const char *mode);

// Writes the whole of `bytes` to `path` through a sibling file that then replaces it, so a
// failed or short write leaves the old file as it was. False on any failure.
bool ReplaceGameFile(const char *path, const void *bytes, size_t size);
