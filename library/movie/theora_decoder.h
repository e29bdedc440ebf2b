// The library's Ogg Theora decoder: at open it indexes the whole stream (its pages and which
// frames are keyframes), then a decode thread keeps a small stock of decoded frames from the
// current frame on. The movie layer moves the current frame (step or seek) and has the current
// frame converted into an RGB image or a Direct3D YUV surface.
//
// The caller's side (every entry below) runs on one thread; it and the decode thread meet only in
// the atomic request and state words, the two events and the stock, which is guarded by its lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "library/base/stream.h"
#include "library/graphics/base_image.h"
#include "platform/d3d9/d3d9.h"
#include "platform/kernel32/kernel32.h"

// Colour tables of the YCbCr (ITU-R BT.601, limited range) to RGB conversion, 14 fractional bits.
struct YUVTABLES {
    int32_t built;
    int32_t y[256];   // 19,070 x (y - 16)
    int32_t rv[256];  // 26,148 x (v - 128)
    int32_t gu[256];  // -6,406 x (u - 128)
    int32_t gv[256];  // -13,320 x (v - 128)
    int32_t bu[256];  // 33,062 x (u - 128)
    uint8_t clamp[1280];  // index + 512 for -512 .. 767: 0 below 0, 255 above 255
};
extern YUVTABLES g_yuvTables;

// Decode thread states.
enum : int32_t {
    THEORA_STOCK_FULL = 0,
    THEORA_DECODING = 1,
    THEORA_SEEKING = 2,
    THEORA_ENDED = 3,
    THEORA_IDLE = 4,
};

// One page of the Theora stream that holds frame data.
struct THEORAPAGE {
    int64_t offset;        // byte offset of the page in the file
    int32_t framesBefore;  // frames completed on earlier pages
    uint8_t keyframe;      // a keyframe completes on this page
    uint8_t continued;     // the page begins inside a frame (its first obtainable frame is one later)
    uint16_t framesIn;     // frames completing on this page
};

// One stocked frame: the picture's luma and the chroma samples that cover it.
struct THEORAFRAME {
    int32_t filled;  // holds `frame` (under the stock lock)
    int32_t pinned;  // the caller is reading it (under the stock lock)
    int32_t frame;
    uint8_t *y, *u, *v;  // library blocks
    int32_t yWidth, yHeight, yStride;
    int32_t uvWidth, uvHeight, uvStride;
    int32_t yBytes, uvBytes;  // block sizes
};

struct THEORACODEC;  // libogg and libtheora state (theora_internal.h)

struct THEORADEC {
    std::atomic<int32_t> state;
    std::atomic<int32_t> stopRequest;
    std::atomic<int32_t> endRequest;
    std::atomic<int32_t> seekRequest;
    std::atomic<int32_t> seekTarget;
    std::atomic<int32_t> decodeError;
    HANDLE thread;
    DWORD threadId;
    HANDLE wake;     // the caller moved or asked something (auto-reset)
    HANDLE changed;  // the thread changed its state or the stock (auto-reset)
    STREAMFUNCS stream;
    uintptr_t streamHandle;
    THEORACODEC *codec;
    int64_t frameCount;
    std::atomic<int32_t> currentFrame;  // the frame the movie layer wants shown
    int32_t lastTarget;                 // last seek target (-1 none); caller's side
    int32_t lastDecoded;                // last frame passed to libtheora (-1 none); thread's side
    int32_t streamFrame;                // number of the next frame the stream gives; thread's side
    THEORAPAGE *pages;
    int32_t pageCount, pageCapacity;
    uint8_t *keyframes;  // per frame: 1 for a keyframe
    int32_t keyframeCapacity;
    std::mutex stockLock;
    THEORAFRAME *stock;
    int32_t stockCount;
    BASEIMAGE rgb;  // the current frame in RGB (XRGB8)
    IDirect3DSurface9 *surface;
    D3DFORMAT surfaceFormat;  // YV12, YUY2, UYVY or 0
    int32_t rgbConverted, surfaceConverted;
    // The picture: its size, its place in the coded frame and the chroma subsampling (shift 1 =
    // halved) with the chroma phase of the picture's first column and row.
    int32_t width, height;
    int32_t offsetX, offsetY;
    int32_t chromaShiftX, chromaShiftY;
    int32_t chromaPhaseX, chromaPhaseY;
    int32_t chromaX, chromaY;  // first chroma column and row covering the picture
    double frameRate;
    std::atomic<int32_t> packetsDecoded;  // frames handed to libtheora so far
};

struct THEORAINFO {
    double frameRate;
    int64_t frameCount;
    int32_t width, height;
};

// Library start: the colour tables; 0.
int BuildYuvToRgbTables();

// Null when the stream is not an Ogg Theora stream or cannot be played (each failure after the
// magic check logs its line). The stream operations are copied; the handle stays the caller's.
THEORADEC *OpenTheoraDecoder(const STREAMFUNCS *stream, uintptr_t handle, int stockCount);
int CloseTheoraDecoder(THEORADEC *decoder);
int GetTheoraInfo(THEORADEC *decoder, THEORAINFO *out);
int GetTheoraFrameNumber(THEORADEC *decoder);
// The current frame moves on by n, around the end; n of 0 or less does nothing.
int StepTheoraFrames(THEORADEC *decoder, int n);
// The current frame becomes f (clamped to the stream); the stock starts again from it.
int SeekTheoraFrame(THEORADEC *decoder, int f);
// 1 after converting the current frame into what is asked (the RGB image, the YUV surface);
// 0 when that is done already, or when the thread ended or the stream broke off.
int ConvertTheoraFrame(THEORADEC *decoder, int toRgb, int toSurface);
IDirect3DSurface9 *GetTheoraYuvSurface(THEORADEC *decoder);
BASEIMAGE *GetTheoraImage(THEORADEC *decoder);
// With a Direct3D device: (re)makes the surface in YV12, else YUY2, else UYVY; 0, -1 when none can
// be made (the RGB image then serves alone).
int CreateTheoraYuvSurface(THEORADEC *decoder);
