#include "library/model/model_texture.h"

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/base/stream.h"
#include "library/base/strings.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/image_load.h"
#include "library/graphics/pixel_convert.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"

#include <cmath>
#include <cstring>

const uint8_t FallbackTextureImage[FALLBACK_TEXTURE_BYTES] = {
    // Header: run-length true colour, 8 x 8, 32 bits, 8 alpha bits, rows bottom-up.
    0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 32, 0x08,
    // Eight runs of eight opaque white pixels.
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0x87, 0xFF, 0xFF, 0xFF, 0xFF,
    // Footer: no extension area, no developer area, the signature.
    0, 0, 0, 0, 0, 0, 0, 0, 'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O', 'N', '-', 'X', 'F', 'I', 'L', 'E', '.', 0};

namespace {

// Largest texture side a model texture may have: one graph is one texture.
int MaxTextureSide() {
    const int device = g_graphBridge.maxTextureSize > 0 ? g_graphBridge.maxTextureSize : 256;
    return g_graphs.userMaxTexture > 0 ? g_graphs.userMaxTexture : device;
}

int TextureSide(int length) {
    int side = 1;
    while (side < length) side <<= 1;
    const int most = MaxTextureSide();
    return side > most ? most : side;
}

// Stretches the image to power-of-two sides within the device's maximum, when it is not so.
int FitTextureSize(BASEIMAGE *image) {
    const int w = TextureSide(image->width), h = TextureSide(image->height);
    if (w == image->width && h == image->height) return 0;
    BASEIMAGE fitted{};
    if (AllocBaseImage(w, h, &image->colourFormat, &fitted) != 0) return -1;
    StretchBaseImage(0, 0, image->width, image->height, image, 0, 0, w, h, &fitted, 1);
    FreeBaseImage(image);
    *image = fitted;
    return 0;
}

// The height image's red channel turned into normals: (-h dx, -h dy, h h) per pixel.
int BumpToNormalMap(BASEIMAGE *image, float height) {
    if (height < 0.000001f) height = 0.000001f;
    BASEIMAGE normals{};
    if (AllocBaseImageXRGB8(image->width, image->height, &normals) != 0) return -1;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            int c = 0, cr = 0, cb = 0;
            ReadBaseImagePixel(image, x, y, &c, nullptr, nullptr, nullptr);
            ReadBaseImagePixel(image, x + 1 < image->width ? x + 1 : 0, y, &cr, nullptr, nullptr, nullptr);
            ReadBaseImagePixel(image, x, y + 1 < image->height ? y + 1 : 0, &cb, nullptr, nullptr, nullptr);
            const float dx = (float)(cr - c) / 255.0f, dy = (float)(cb - c) / 255.0f;
            VEC3 n{-height * dx, -height * dy, height * height};
            NormalizeVector(&n, &n);
            WriteBaseImagePixel(&normals, x, y, (int)((n.x + 1.0f) * 127.5f), (int)((n.y + 1.0f) * 127.5f),
                                (int)((n.z + 1.0f) * 127.5f), 0);
        }
    FreeBaseImage(image);
    *image = normals;
    return 0;
}

// A copy of the path relative to the model folder, or null after a failed allocation.
char *RelativePathCopy(const char *path, const char *folder) {
    char relative[PATH_BUFFER_SIZE];
    if (BuildRelativePath(path, folder, relative) != 0) CopyStringN(relative, path, PATH_BUFFER_SIZE - 1);
    const size_t length = std::strlen(relative);
    auto *copy = static_cast<char *>(AllocMemBlock(length + 1, nullptr, -1));
    if (copy) std::memcpy(copy, relative, length + 1);
    return copy;
}

// The file's bytes, or the fall-back image after logging `message` with its name.
int LoadOrFallback(const char *name, void **image, int *size, const char *message) {
    if (LoadWholeFile(name, image, size) == 0) return 0;
    WriteLogFmt(message, name);
    *image = AllocMemBlock(FALLBACK_TEXTURE_BYTES, nullptr, -1);
    if (!*image) {
        WriteLog("Load Texture Error : エラー回避用テクスチャを格納する領域の確保に失敗しました");
        return -1;
    }
    std::memcpy(*image, FallbackTextureImage, FALLBACK_TEXTURE_BYTES);
    *size = FALLBACK_TEXTURE_BYTES;
    return 0;
}

void ReloadTexture(int graph, const MV1TEXTUREFILES &f, int bump, float bumpHeight) {
    BASEIMAGE c{}, a{};
    if (ComposeModelTextureImages(&c, &a, f.colourImage, f.colourImageSize, f.alphaImage, f.alphaImageSize, bump,
                                  bumpHeight) != 0)
        return;
    ReloadGraphFromBaseImage(&c, f.alphaImage ? &a : nullptr, graph, 1, 0, 1);
    FreeBaseImage(&c);
    if (f.alphaImage) FreeBaseImage(&a);
}

}  // namespace

int LoadWholeFile(const char *path, void **block, int *size) {
    uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) {
        char name[PATH_BUFFER_SIZE];
        SplitFilePath(path, name, nullptr);
        file = OpenDataFile(name, 0, 0, 0);
        if (!file) return -1;
    }
    SeekDataFile(file, 0, 2);
    const int length = TellDataFile(file);
    SeekDataFile(file, 0, 0);
    void *data = length >= 0 ? AllocMemBlock((size_t)length + 1, nullptr, -1) : nullptr;
    if (!data) {
        CloseDataFile(file);
        return -1;
    }
    const int read = length > 0 ? ReadDataFile(data, (size_t)length, 1, file) : 1;
    CloseDataFile(file);
    if (read != 1) {
        FreeMemBlock(data);
        return -1;
    }
    if (block) *block = data;
    else FreeMemBlock(data);
    if (size) *size = length;
    return 0;
}

int ComposeModelTextureImages(BASEIMAGE *colour, BASEIMAGE *alpha, const void *colourFile, int colourSize,
                              const void *alphaFile, int alphaSize, int bump, float bumpHeight) {
    *colour = BASEIMAGE{};
    *alpha = BASEIMAGE{};
    if (colourFile && LoadImageToBaseImage(nullptr, colourFile, colourSize, 1, colour, 0) != 0) return -1;
    if (alphaFile && LoadImageToBaseImage(nullptr, alphaFile, alphaSize, 1, alpha, 0) != 0) {
        FreeBaseImage(colour);
        return -1;
    }
    auto fail = [&]() {
        FreeBaseImage(colour);
        FreeBaseImage(alpha);
        return -1;
    };
    // The alpha takes its final size first, so that a white colour image made for it matches.
    if (alphaFile && FitTextureSize(alpha) != 0) return fail();
    if (!colourFile) {
        if (!alphaFile || AllocBaseImageXRGB8(alpha->width, alpha->height, colour) != 0) return fail();
        std::memset(colour->pixels, 0xFF, (size_t)colour->pitch * colour->height);
    }
    if (bump && BumpToNormalMap(colour, bumpHeight) != 0) return fail();
    if (colourFile && FitTextureSize(colour) != 0) return fail();
    return 0;
}

int LoadModelTexture(void **colourImage, int *colourSize, void **alphaImage, int *alphaSize, int *graph,
                     int *usesAlpha, char **colourPathCopy, char **alphaPathCopy, const char *colourName,
                     const char *alphaName, const char *modelFolder, int bump, float bumpHeight) {
    if (colourPathCopy) *colourPathCopy = nullptr;
    if (alphaPathCopy) *alphaPathCopy = nullptr;
    *colourImage = *alphaImage = nullptr;
    *colourSize = *alphaSize = 0;
    *graph = -1;
    BASEIMAGE colour{}, alpha{};
    auto fail = [&]() {
        if (colourPathCopy) FreeMemBlock(*colourPathCopy), *colourPathCopy = nullptr;
        if (alphaPathCopy) FreeMemBlock(*alphaPathCopy), *alphaPathCopy = nullptr;
        if (*graph != -1) DestroyGraph(*graph);
        *graph = -1;
        FreeMemBlock(*colourImage);
        FreeMemBlock(*alphaImage);
        *colourImage = *alphaImage = nullptr;
        return -1;
    };
    if (colourName && colourPathCopy) {
        *colourPathCopy = RelativePathCopy(colourName, modelFolder);
        if (!*colourPathCopy) {
            WriteLog("Load Texture Error : テクスチャ用のカラー画像ファイルパスを保存するメモリ領域の確保に失敗しました\n");
            return fail();
        }
    }
    if (alphaName && alphaPathCopy) {
        *alphaPathCopy = RelativePathCopy(alphaName, modelFolder);
        if (!*alphaPathCopy) return fail();
    }
    if (colourName &&
        LoadOrFallback(colourName, colourImage, colourSize,
                       "Load Texture Error : カラーチャンネル画像ファイル %s の読み込みに失敗しました\n") != 0)
        return fail();
    if (alphaName &&
        LoadOrFallback(alphaName, alphaImage, alphaSize,
                       "Load Texture Error : アルファチャンネル用テクスチャファイル %s の読み込みに失敗しました\n") != 0)
        return fail();
    if (ComposeModelTextureImages(&colour, &alpha, *colourImage, *colourSize, *alphaImage, *alphaSize, bump,
                                  bumpHeight) != 0) {
        WriteLog("Load Texture Error : テクスチャ用の BASEIMAGE の作成に失敗しました\n");
        return fail();
    }
    SetTextureMipLevels(1, -1);
    *graph = MakeGraphFromBaseImage(&colour, *alphaImage ? &alpha : nullptr, 1, 0, 1);
    SetTextureMipLevels(0, -1);
    if (*graph < 0) {
        *graph = -1;
        FreeBaseImage(&colour);
        FreeBaseImage(&alpha);
        return fail();
    }
    int found = 0;
    if (*alphaImage) {
        found = 1;
    } else if (colour.colourFormat.alphaWidth != 0) {
        for (int y = 0; y < colour.height && !found; ++y)
            for (int x = 0; x < colour.width; ++x) {
                int a = 255;
                ReadBaseImagePixel(&colour, x, y, nullptr, nullptr, nullptr, &a);
                if (a != 255) {
                    found = 1;
                    break;
                }
            }
    }
    *usesAlpha = found;
    FreeBaseImage(&colour);
    FreeBaseImage(&alpha);
    return 0;
}

int ModelWhiteTexture() {
    MODELSYSTEM &S = g_modelSystem;
    if (S.whiteTexture > 0 && GetGraphExtent(S.whiteTexture, nullptr, nullptr) == 0) return S.whiteTexture;
    S.whiteTexture = MakeGraphFromMemory(FallbackTextureImage, FALLBACK_TEXTURE_BYTES, nullptr, 0, 1, 0);
    if (S.whiteTexture < 0) {
        S.whiteTexture = 0;
        return -1;
    }
    EnterDeviceScene();
    return S.whiteTexture;
}

int ModelTextureGraph(const MV1TEXTURESTATE *t) {
    if (t->replaced) return t->replacementGraph;
    if (t->ownTexture) return t->ownGraph;
    if (t->base->replaced) return t->base->replacementGraph;
    return t->base->graph;
}

int RebuildAllModelTextures() {
    MODELSYSTEM &S = g_modelSystem;
    if (S.whiteTexture > 0)
        ReloadGraphFromMemory(FallbackTextureImage, FALLBACK_TEXTURE_BYTES, S.whiteTexture, nullptr, 0, 1, 0);
    for (int i = 0; i < S.bases.capacity; ++i) {
        if (S.bases.entries[i] <= MODEL_SLOT_RESERVED) continue;
        const MV1BASE *base = reinterpret_cast<const MV1BASE *>(S.bases.entries[i]);
        for (int t = 0; t < base->textureCount; ++t) {
            const MV1TEXTURE &e = base->textures[t];
            ReloadTexture(e.graph, e.files, e.bump, e.bumpHeight);
        }
    }
    for (int i = 0; i < S.models.capacity; ++i) {
        if (S.models.entries[i] <= MODEL_SLOT_RESERVED) continue;
        const MV1INSTANCE *model = reinterpret_cast<const MV1INSTANCE *>(S.models.entries[i]);
        for (int t = 0; t < model->base->textureCount; ++t) {
            const MV1TEXTURESTATE &e = model->textures[t];
            if (!e.ownTexture) continue;
            ReloadTexture(e.ownGraph, e.files, e.bump, e.bumpHeight);
        }
    }
    return 0;
}
