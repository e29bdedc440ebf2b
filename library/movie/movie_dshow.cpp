// The DirectShow branch of the movie layer: a filter graph that renders the file into the
// library's renderer filter, retried once from a temporary copy of the file (which may lie in an
// archive); the renderer's frames go to the frame callback.
#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/base/stream.h"
#include "library/movie/movie_internal.h"
#include "library/movie/movie_renderer.h"

namespace {

constexpr int kCopyChunk = 1 << 20;
constexpr LONGLONG kNoDuration = 166666;

// The file through the file layer into a new temporary file, whose name goes to `copy`; 0, or -1
// with nothing left behind (a copy cut short is deleted).
int CopyToTempFile(const char *path, char *copy) {
    uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) return -1;
    SeekDataFile(file, 0, 2);
    int remaining = TellDataFile(file);
    SeekDataFile(file, 0, 0);
    uint8_t *buffer = (uint8_t *)MEM_ALLOC(kCopyChunk);
    HANDLE out = buffer && remaining >= 0 ? OpenNewTempFile(copy) : nullptr;
    bool whole = out != nullptr;
    while (whole && remaining > 0) {
        const int want = remaining < kCopyChunk ? remaining : kCopyChunk;
        const int got = ReadDataFile(buffer, 1, (size_t)want, file);
        DWORD written = 0;
        if (got != want || !WriteFile(out, buffer, (DWORD)got, &written, nullptr) || written != (DWORD)got)
            whole = false;
        remaining -= want;
    }
    if (out) CloseHandle(out);
    MEM_FREE(buffer);
    CloseDataFile(file);
    if (out && !whole) DeleteFileA(copy);
    return whole ? 0 : -1;
}

HRESULT RenderPath(IGraphBuilder *graph, const char *path) {
    WCHAR wide[260];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 260) == 0) return E_INVALIDARG;
    return graph->RenderFile(wide, nullptr);
}

template <class Interface>
void ReleaseInto(Interface *&p) {
    if (p) p->Release();
    p = nullptr;
}

}  // namespace

int OpenDirectShowMovie(MOVIEREC *rec, const char *path) {
    char pending[600] = {};
    HRESULT result = S_OK;
    rec->tempFile = 0;
    bool ok = false;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                (void **)&rec->graph))) {
        rec->graph = nullptr;
        strcpy(pending, "CLSID_FilterGraph の作成に失敗しました");
    } else if (!(rec->renderer = CreateMovieRenderer(nullptr, &result)) ||
               FAILED(rec->graph->AddFilter(rec->renderer, L"MovieRenderer"))) {
        strcpy(pending, "Could not add renderer filter to graph!");
    } else if (FAILED(rec->graph->QueryInterface(IID_IBasicAudio, (void **)&rec->audio))) {
        strcpy(pending, "BasicAudio インターフェースの取得に失敗しました");
    } else if (FAILED(rec->graph->QueryInterface(IID_IMediaControl, (void **)&rec->control))) {
        strcpy(pending, "IID_IMediaControlインターフェイスの取得に失敗しました");
    } else if (FAILED(rec->graph->QueryInterface(IID_IMediaSeeking, (void **)&rec->seeking))) {
        strcpy(pending, "IID_IMediaSeekingインターフェイスの取得に失敗しました");
    } else {
        snprintf(rec->path, sizeof rec->path, "%s", path);
        ok = SUCCEEDED(RenderPath(rec->graph, rec->path));
        if (!ok) {
            snprintf(pending, sizeof pending, "ファイル:%s が開けませんでした", path);
            // The graph may not read where the library does (an archive): try a plain copy.
            char copy[MAX_PATH] = {};
            if (CopyToTempFile(path, copy) == 0) {
                snprintf(rec->path, sizeof rec->path, "%s", copy);
                rec->tempFile = 1;
                ok = SUCCEEDED(RenderPath(rec->graph, rec->path));
                if (!ok) {
                    DeleteFileA(copy);
                    rec->tempFile = 0;
                }
            }
        }
    }
    if (!ok) {
        ReleaseDirectShowMovie(rec);
        WriteLog(pending);
        return -1;
    }
    LONGLONG duration = 0, stop = 0;
    rec->seeking->GetDuration(&duration);
    rec->seeking->GetStopPosition(&stop);
    rec->frameTime = duration == 0 ? kNoDuration : duration;
    rec->stopPosition = stop;
    rec->width = rec->renderer->width;
    rec->height = rec->renderer->height;
    return 0;
}

void AdvanceDirectShowMovie(MOVIEREC *rec, int handle) {
    if (!rec->renderer) return;
    if (const uint8_t *pixels = rec->renderer->TakeFrame(); pixels && rec->callback) {
        BASEIMAGE &frame = rec->frameImage;
        MakeColourFormatRGB24(&frame.colourFormat);
        frame.width = rec->renderer->width;
        frame.height = rec->renderer->height;
        frame.pitch = rec->renderer->stride;
        frame.pixels = const_cast<uint8_t *>(pixels);
        frame.mipCount = 0;
        rec->callback(handle, rec->userValue);
        rec->frameShown = 1;
    }
    // A paused or stopped movie stays where it is.
    if (rec->stopped || !rec->seeking || !rec->control) return;
    LONGLONG current = 0;
    if (FAILED(rec->seeking->GetCurrentPosition(&current)) || current < rec->stopPosition) return;
    if (rec->playType & MOVIE_PLAY_LOOP) {
        LONGLONG start = 0;
        rec->seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        rec->control->Run();
    } else {
        rec->wantsToPlay = 0;
        rec->stopped = 1;
    }
}

void PauseDirectShowMovie(MOVIEREC *rec) {
    if (rec->control) rec->control->Pause();
}

void ResumeDirectShowMovie(MOVIEREC *rec) {
    if (rec->control) rec->control->Run();
}

void ReleaseDirectShowMovie(MOVIEREC *rec) {
    ReleaseInto(rec->seeking);
    ReleaseInto(rec->control);
    ReleaseInto(rec->audio);
    ReleaseInto(rec->renderer);
    ReleaseInto(rec->graph);
    // Released first, so that nothing holds the copy open any more.
    if (rec->tempFile) DeleteFileA(rec->path);
    rec->tempFile = 0;
    rec->frameImage.pixels = nullptr;
}
