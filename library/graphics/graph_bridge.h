// What the graph code needs of the display device and the movie layer, handed to it through one
// record until those modules fill it themselves at start-up.
#pragma once

#include <cstdint>

#include "library/graphics/base_image.h"
#include "platform/d3d9/d3d9.h"

// Texture format codes of graph sources (hardware path).
enum : int32_t {
    GRAPHFMT_PLAIN16 = 0,
    GRAPHFMT_PLAIN32 = 1,
    GRAPHFMT_ALPHA16 = 2,
    GRAPHFMT_ALPHA32 = 3,
    GRAPHFMT_ALPHATEST16 = 4,
    GRAPHFMT_ALPHATEST32 = 5,
    GRAPHFMT_DXT1 = 6,  // .. GRAPHFMT_DXT1 + 4 = DXT5
    GRAPHFMT_DRAWABLE16 = 11,
    GRAPHFMT_DRAWABLE32 = 12,
    GRAPHFMT_DRAWABLE_ALPHA = 13,
    GRAPHFMT_COUNT = 14,
};

struct GRAPHBRIDGE {
    // Display (set while graphics is up).
    int32_t started;         // the graphics system is up
    int32_t direct3D;        // 1 hardware path, 0 software renderer
    IDirect3DDevice9 *device;
    int32_t screenWidth, screenHeight;
    int32_t screenBits;      // 16 or 32
    int32_t maxTextureSize;  // the smaller device maximum side
    int32_t squareOnly;      // the device takes square textures only
    D3DFORMAT textureFormats[GRAPHFMT_COUNT];  // device format per code, 0 = none
    // Movie layer; null while there is none (files no reader takes then fail as missing).
    int (*openMovie)(const char *name, int *width, int *height, int option);
    int (*closeMovie)(int movie);
    int (*setMovieFrameCallback)(int movie, void (*callback)(int movie, int value), int value);
    // Moves a bound movie on before its graph is drawn (may refresh the graph's pixels).
    int (*advanceMovieFrame)(int movie, int flag);
    // Starts a movie the loader bound to its graph.
    int (*playMovie)(int movie);
    // The movie option the movie was opened with.
    int (*movieOption)(int movie);
    // The frame of a movie as an image (null when none is decoded yet).
    BASEIMAGE *(*movieFrameImage)(int movie);
    // The frame when the decoder keeps it in a device surface (null when it does not).
    IDirect3DSurface9 *(*movieFrameSurface)(int movie);
};

extern GRAPHBRIDGE g_graphBridge;
