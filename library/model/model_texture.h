// Model textures are kept as their image files in memory, so that every one can be made again
// after the device was lost: loading them (a missing file becomes the built-in white image),
// composing the colour and alpha images into one power-of-two picture no larger than the
// device's maximum (a bump image becomes a normal map), and the rebuild after a restore.
#pragma once

#include "library/graphics/base_image.h"
#include "library/model/model_base.h"

#include <cstdint>

// An 8 x 8 opaque white run-length TGA file with its 2.0 footer.
constexpr int FALLBACK_TEXTURE_BYTES = 84;
extern const uint8_t FallbackTextureImage[FALLBACK_TEXTURE_BYTES];

// 0 with a new block (the caller frees it) and its size, or -1. The path as given first, then
// its bare file name.
int LoadWholeFile(const char *path, void **block, int *size);

// 0, or -1 after logging. On success the image files stay allocated (the texture entry owns
// them), the graph is made and the uses-alpha flag set; the path copies are relative to the folder.
int LoadModelTexture(void **colourImage, int *colourSize, void **alphaImage, int *alphaSize, int *graph,
                     int *usesAlpha, char **colourPathCopy, char **alphaPathCopy, const char *colourName,
                     const char *alphaName, const char *modelFolder, int bump, float bumpHeight);
// Both images (the alpha one only with an alpha file) belong to the caller on success; 0 / -1.
int ComposeModelTextureImages(BASEIMAGE *colour, BASEIMAGE *alpha, const void *colourFile, int colourSize,
                              const void *alphaFile, int alphaSize, int bump, float bumpHeight);
// Every model texture and the default white texture loaded again into their graphs. 0.
int RebuildAllModelTextures();

// The default white texture's graph, made (again) when it does not name a graph; -1 on failure.
int ModelWhiteTexture();
// The graph drawn for a texture of a model: the model's replacement, its own, the base's
// replacement, else the base's graph.
int ModelTextureGraph(const MV1TEXTURESTATE *texture);
