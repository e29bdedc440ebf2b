// Path arithmetic on Shift-JIS paths ("\" and "/" both separate), and temporary files.
// Every output buffer holds PATH_BUFFER_SIZE bytes; a result that does not fit gives -1.
#pragma once

#include "platform/kernel32/kernel32.h"

#define PATH_BUFFER_SIZE 1024

// Full path of path (null: the current directory) against currentDir (null: the get-dir slot of
// the file-function table). Two separators in a row give -1.
int BuildFullPath(const char *path, char *out, const char *currentDir);
// The same; a path beginning with two separators keeps its network prefix.
int BuildFullPathUnc(const char *path, char *out, const char *currentDir);
// Splits at the last "\", "/" or ":". Either output may be null. 0.
int SplitFilePath(const char *path, char *name, char *folder);
// The root component (a leading separator and the byte after it, then up to the next
// separator); bytes taken.
int TakeRootComponent(const char *path, char *out);
// The bytes up to the next separator; bytes taken.
int TakePathComponent(const char *path, char *out);
// path made relative to baseFolder, or its full path when the roots differ. 0 / -1.
int BuildRelativePath(const char *path, const char *baseFolder, char *out);
// An empty temporary file "tmp*.tmp" in the temporary folder, open for writing; its full path is
// copied to pathOut (MAX_PATH bytes) when given. Null when no temporary file can be had.
HANDLE OpenNewTempFile(char *pathOut);
