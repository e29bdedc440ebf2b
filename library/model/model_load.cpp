// LoadModel: a model file read whole, offered to the readers in turn, its base's buffers built
// and one model made from it.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/base/pathchar.h"
#include "library/base/stream.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_buffers.h"
#include "library/model/model_readers.h"

#include <cstring>

MODELREADERFUNC g_modelReaders[MODEL_READER_COUNT] = {ReadMV1File, ReadMqoModel, ReadXModel, ReadPmdModel};

int SplitModelPath(const char *path, char *name, char *stem, char *folder) {
    int last = -1;
    for (int i = 0; path[i] != '\0';) {
        if (IsPathSeparator(path[i]) || path[i] == ':') last = i;
        i += PathCharLength(path + i);
    }
    const char *file = path + last + 1;
    if (std::strlen(file) >= PATH_BUFFER_SIZE) return -1;
    std::strcpy(name, file);
    std::strcpy(stem, file);
    if (char *dot = std::strchr(stem, '.')) *dot = '\0';
    if (last < 0) return GetDataFileDir(folder);
    // A drive prefix keeps its ":" and a separator right after it.
    int keep = last;
    if (path[last] == ':' || (last > 0 && path[last - 1] == ':')) keep = last + 1;
    if (keep >= PATH_BUFFER_SIZE) return -1;
    char part[PATH_BUFFER_SIZE];
    std::memcpy(part, path, (size_t)keep);
    part[keep] = '\0';
    return BuildFullPath(part, folder, nullptr);
}

int LoadModel(const char *path) {
    if (!g_modelSystem.started || !path) return -1;
    char name[PATH_BUFFER_SIZE], stem[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE];
    if (SplitModelPath(path, name, stem, folder) != 0) return WriteLogFmt("モデルファイル %s が読み込めませんでした", path);

    const uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) return WriteLogFmt("モデルファイル %s が読み込めませんでした", path);
    SeekDataFile(file, 0, 2);
    const int size = TellDataFile(file);
    SeekDataFile(file, 0, 0);
    auto *image = size >= 0 ? static_cast<uint8_t *>(AllocMemBlock((size_t)size + 1, nullptr, -1)) : nullptr;
    if (!image) {
        CloseDataFile(file);
        return WriteLogFmt("モデルファイル %s のデータを格納するメモリ領域の確保に失敗しました", path);
    }
    const int read = size > 0 ? ReadDataFile(image, (size_t)size, 1, file) : 1;
    CloseDataFile(file);
    image[size] = 0;
    if (read != 1) {
        FreeMemBlock(image);
        return WriteLogFmt("モデルファイル %s が読み込めませんでした", path);
    }

    int base = -1;
    for (int i = 0; i < MODEL_READER_COUNT && base < 0; ++i)
        if (g_modelReaders[i]) base = g_modelReaders[i](image, size, path, stem, folder);
    FreeMemBlock(image);
    if (base < 0) return -1;

    BuildModelBaseVertexBuffers(base);
    const int model = AddModelSlot();
    if (model == -1) {
        WriteLogFmt("モデルファイル %s のモデルハンドルの作成に失敗しました", path);
        ReleaseModelBase(base);
        return -1;
    }
    if (CreateModelFromBase(model, base) != 0) {
        WriteLogFmt("モデルファイル %s のモデル基本データからモデルデータへの変換に失敗しました", path);
        ReleaseModelBase(base);
        DeleteModel(model);
        return -1;
    }
    return model;
}
