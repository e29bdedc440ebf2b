// Test control of the DirectShow stand-in: test sources that RenderFile connects and that stream
// numbered frames, scripted failures, and what RenderFile was asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dshow/dshow.h"

struct DShowTestSource {
    std::string name;  // a file name (last path component, any ASCII case) RenderFile takes as this source
    int width = 8;
    int height = 4;
    bool topDown = false;               // a negative biHeight
    GUID subtype = MEDIASUBTYPE_RGB24;  // the type it offers the renderer
    int frames = 10;
    REFERENCE_TIME frameTime = 333333;  // each frame delivered moves the position on by this
    REFERENCE_TIME duration = -1;       // what GetDuration answers; -1: frames x frameTime
    LONG sampleBytes = -1;              // each sample's data (and buffer) length; -1: a whole frame
};
void DShowTestAddSource(const DShowTestSource &source);

// The pixel a test source sends at (x, y) of frame n, counted from the top row: red n, green y,
// blue x (each modulo 256); rows padded to 4 bytes, bottom row first unless the source is top-down.
inline uint32_t DShowTestPixel(int n, int x, int y) {
    return (uint32_t)((n & 255) << 16 | (y & 255) << 8 | (x & 255));
}

enum DSHOW_FAILPOINT {
    DSHOWFAIL_CREATE,        // CoCreateInstance of the filter graph
    DSHOWFAIL_ADDFILTER,     // IGraphBuilder::AddFilter
    DSHOWFAIL_BASICAUDIO,    // QueryInterface for each interface
    DSHOWFAIL_MEDIACONTROL,
    DSHOWFAIL_MEDIASEEKING,
    DSHOWFAIL_COUNT
};
void DShowTestFail(DSHOW_FAILPOINT point, bool fail);

// Every RenderFile call: the path as given (converted back to Shift-JIS) and the size of that
// file at the time (-1 when there is none).
struct DShowTestRenderCall {
    std::string path;
    long long size;
};
std::vector<DShowTestRenderCall> DShowTestRenderCalls();

// A running source sends a frame only while it has leave to: each call gives leave for `count`
// more frames (across all sources). None at first.
void DShowTestAllowFrames(int count);
// Waits (in real time, up to 5 s) until this many frames were delivered in all since the reset.
bool DShowTestWaitDelivered(int total);
// Filter graphs alive now.
int DShowTestLiveGraphs();
// No sources, failures, calls or leave; the delivered count 0.
void DShowTestReset();
