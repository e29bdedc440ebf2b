#include "library/movie/movie_renderer.h"

#include <cstring>
#include <new>

#include "library/base/memory.h"

namespace {

// {71771540-2017-11CF-AE26-0020AFD79767}
const CLSID kRendererClass = {0x71771540, 0x2017, 0x11CF, {0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};

// Frame sides a media type may ask for.
constexpr int32_t kMaxSide = 16384;

const VIDEOINFOHEADER *VideoInfo(const CMediaType *type) {
    if (!type->Format() || type->FormatLength() < sizeof(VIDEOINFOHEADER)) return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER *>(type->Format());
}

}  // namespace

void *MovieRenderer::operator new(size_t bytes) {
    void *block = MEM_ALLOC(bytes);
    if (!block) throw std::bad_alloc();
    return block;
}

void MovieRenderer::operator delete(void *block) { MEM_FREE(block); }

MovieRenderer::MovieRenderer(LPUNKNOWN outer, HRESULT *result)
    : CBaseVideoRenderer(kRendererClass, "MovieRenderer", outer, result) {}

MovieRenderer::~MovieRenderer() { FreeBuffers(); }

void MovieRenderer::FreeBuffers() {
    MEM_FREE(back_);
    MEM_FREE(ready_);
    MEM_FREE(front_);
    back_ = ready_ = front_ = nullptr;
}

HRESULT MovieRenderer::CheckMediaType(const CMediaType *type) {
    if (!type) return E_POINTER;
    if (*type->FormatType() != FORMAT_VideoInfo) return E_INVALIDARG;
    if (*type->Type() != MEDIATYPE_Video) return E_FAIL;
    if (*type->Subtype() != MEDIASUBTYPE_RGB24) return E_FAIL;
    // A format block too short to be one, or a size no frame can have, is refused too.
    const VIDEOINFOHEADER *info = VideoInfo(type);
    if (!info) return E_INVALIDARG;
    const LONG w = info->bmiHeader.biWidth, h = info->bmiHeader.biHeight;
    if (w <= 0 || w > kMaxSide || h == 0 || h < -kMaxSide || h > kMaxSide) return E_FAIL;
    return S_OK;
}

HRESULT MovieRenderer::SetMediaType(const CMediaType *type) {
    const VIDEOINFOHEADER *info = type ? VideoInfo(type) : nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    FreeBuffers();
    frameReady = 0;
    width = height = stride = 0;
    if (!info) return 0;
    width = info->bmiHeader.biWidth;
    bottomUp = info->bmiHeader.biHeight < 0 ? 0 : 1;
    height = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    stride = (width * 3 + 3) & ~3;
    const size_t bytes = (size_t)stride * (size_t)height;
    back_ = (uint8_t *)MEM_ALLOC(bytes);
    ready_ = (uint8_t *)MEM_ALLOC(bytes);
    front_ = (uint8_t *)MEM_ALLOC(bytes);
    if (!back_ || !ready_ || !front_) FreeBuffers();  // no buffer: samples are dropped
    return 0;
}

HRESULT MovieRenderer::DoRenderSample(IMediaSample *sample) {
    if (!sample) return E_POINTER;
    uint8_t *back;
    int32_t rows, rowBytes, flip;
    {
        std::lock_guard<std::mutex> hold(lock_);
        back = back_;
        rows = height;
        rowBytes = stride;
        flip = bottomUp;
    }
    if (!back) return S_OK;
    BYTE *data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return S_OK;
    // A sample shorter than a frame is dropped; a longer one is read no further than a frame.
    const size_t frameBytes = (size_t)rowBytes * (size_t)rows;
    const LONG length = sample->GetActualDataLength();
    if (length < 0 || (size_t)length < frameBytes) return S_OK;
    if (flip) {
        for (int32_t i = 0; i < rows; i++)
            memcpy(back + (size_t)(rows - 1 - i) * rowBytes, data + (size_t)i * rowBytes, (size_t)rowBytes);
    } else {
        memcpy(back, data, frameBytes);
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (back_ != back) return S_OK;  // the type changed meanwhile: this frame is of the old one
    back_ = ready_;
    ready_ = back;
    frameReady = 1;
    return S_OK;
}

const uint8_t *MovieRenderer::TakeFrame() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!frameReady || !front_) return nullptr;
    uint8_t *taken = ready_;
    ready_ = front_;
    front_ = taken;
    frameReady = 0;
    return front_;
}

MovieRenderer *CreateMovieRenderer(LPUNKNOWN outer, HRESULT *result) {
    if (result) *result = S_OK;
    try {
        return new MovieRenderer(outer, result);
    } catch (const std::bad_alloc &) {
        if (result) *result = E_OUTOFMEMORY;
        return nullptr;
    }
}
