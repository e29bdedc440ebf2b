// The model file readers LoadModel offers a file to, in this order. Each takes the file image
// (its bytes with one 0 byte after them), its size, the path as the caller gave it, the file name
// without extension and the file's folder as a full path (where textures are looked for), and
// returns a model-base handle, or -1 when the file is not its kind (silently) or cannot be read
// (logged).
#pragma once

typedef int (*MODELREADERFUNC)(const void *image, int size, const char *path, const char *name, const char *folder);

int ReadMV1File(const void *image, int size, const char *path, const char *name, const char *folder);
int ReadMqoModel(const void *image, int size, const char *path, const char *name, const char *folder);
int ReadXModel(const void *image, int size, const char *path, const char *name, const char *folder);
int ReadPmdModel(const void *image, int size, const char *path, const char *name, const char *folder);

constexpr int MODEL_READER_COUNT = 4;
// The readers in LoadModel's order (tests may put others in their place).
extern MODELREADERFUNC g_modelReaders[MODEL_READER_COUNT];

// The file name and the folder of a model path as LoadModel takes them: the name follows the
// last "\", "/" or ":"; the folder is what comes before (a drive's ":" and a separator right
// after it kept), made full; without a separator the folder is the current directory. `stem` is
// the name cut at its first ".". Buffers of PATH_BUFFER_SIZE bytes; 0 / -1.
int SplitModelPath(const char *path, char *name, char *stem, char *folder);
