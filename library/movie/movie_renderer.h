// The library's video renderer filter for movies played through DirectShow: it takes only
// uncompressed 24-bit RGB, keeps each sample as a top-down frame of its own and raises a
// frame-ready flag that the movie layer polls from the main thread.
//
// DoRenderSample runs on the graph's streaming thread. It fills a back buffer that only it
// touches, then swaps it with the ready one under the lock; the movie layer takes the ready frame
// by swapping it with its own front buffer under the same lock, so neither side reads memory the
// other writes.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/dshow/dshow.h"

class MovieRenderer : public CBaseVideoRenderer {
public:
    MovieRenderer(LPUNKNOWN outer, HRESULT *result);
    ~MovieRenderer() override;

    HRESULT SetMediaType(const CMediaType *type) override;
    HRESULT DoRenderSample(IMediaSample *sample) override;
    HRESULT CheckMediaType(const CMediaType *type) override;

    // The newest frame, top row first (stride bytes a row), when one came since the last take;
    // else null. The pixels stay the caller's until the next take.
    const uint8_t *TakeFrame();

    // Objects of this class live in the library's memory blocks.
    static void *operator new(size_t bytes);
    static void operator delete(void *block);

    std::atomic<int32_t> frameReady{0};
    int32_t bottomUp = 0;
    int32_t width = 0;
    int32_t height = 0;  // positive
    int32_t stride = 0;  // width x 3 rounded up to 4 bytes

private:
    void FreeBuffers();

    std::mutex lock_;
    uint8_t *back_ = nullptr;   // the streaming thread's
    uint8_t *ready_ = nullptr;  // the newest whole frame, under the lock
    uint8_t *front_ = nullptr;  // the movie layer's
};

// Null when it cannot be made; *result 0 then as well as on success (the record is all the
// caller checks).
MovieRenderer *CreateMovieRenderer(LPUNKNOWN outer, HRESULT *result);
