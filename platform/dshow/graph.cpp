// The filter graph: one object behind the graph builder, media control, media seeking and basic
// audio interfaces. Real files are refused; a test source connects the graph's video renderer
// and, while the graph runs, a streaming thread hands it numbered frames as the test allows.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/dshow/dshow.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"
#include "platform/testing/dshow.h"

namespace {

// The test face's state, shared by every graph; its lock also guards each graph's stream state.
struct DSHOWSTATE {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<DShowTestSource> sources;
    bool fail[DSHOWFAIL_COUNT] = {};
    std::vector<DShowTestRenderCall> renderCalls;
    long allowance = 0;
    long delivered = 0;
    int liveGraphs = 0;
};

DSHOWSTATE &State() {
    static DSHOWSTATE state;
    return state;
}

bool Failing(DSHOW_FAILPOINT point) {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().fail[point];
}

std::string FileName(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

long long HostFileSize(const std::string &windowsPath) {
    std::string host;
    std::error_code ec;
    if (!PlatformMapPath(windowsPath.c_str(), &host)) return -1;
    auto size = std::filesystem::file_size(host, ec);
    return ec ? -1 : (long long)size;
}

class Sample : public ComObject<IMediaSample> {
public:
    explicit Sample(size_t bytes) : data(bytes) {}
    HRESULT GetPointer(BYTE **buffer) override {
        if (!buffer) return E_POINTER;
        *buffer = data.data();
        return S_OK;
    }
    LONG GetSize() override { return (LONG)data.size(); }
    LONG GetActualDataLength() override { return (LONG)data.size(); }
    std::vector<BYTE> data;
};

class FilterGraph : public IGraphBuilder, public IMediaControl, public IMediaSeeking, public IBasicAudio {
public:
    FilterGraph() {
        std::lock_guard<std::mutex> hold(State().lock);
        State().liveGraphs++;
    }
    ~FilterGraph() {
        {
            std::lock_guard<std::mutex> hold(State().lock);
            quit_ = true;
        }
        State().changed.notify_all();
        if (streamer_) {
            WaitForSingleObject(streamer_, INFINITE);
            CloseHandle(streamer_);
        }
        for (IBaseFilter *f : filters_) f->Release();
        std::lock_guard<std::mutex> hold(State().lock);
        State().liveGraphs--;
    }

    HRESULT QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IGraphBuilder || iid == kIID_IUnknown) *out = static_cast<IGraphBuilder *>(this);
        else if (iid == IID_IMediaControl && !Failing(DSHOWFAIL_MEDIACONTROL)) *out = static_cast<IMediaControl *>(this);
        else if (iid == IID_IMediaSeeking && !Failing(DSHOWFAIL_MEDIASEEKING)) *out = static_cast<IMediaSeeking *>(this);
        else if (iid == IID_IBasicAudio && !Failing(DSHOWFAIL_BASICAUDIO)) *out = static_cast<IBasicAudio *>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // ---- graph builder
    HRESULT AddFilter(IBaseFilter *filter, LPCWSTR) override {
        if (!filter) return E_POINTER;
        if (Failing(DSHOWFAIL_ADDFILTER)) return E_FAIL;
        filter->AddRef();
        filters_.push_back(filter);
        return S_OK;
    }

    HRESULT RenderFile(LPCWSTR file, LPCWSTR) override {
        if (!file) return E_POINTER;
        std::string path;
        int bytes = WideCharToMultiByte(CP_ACP, 0, file, -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            path.resize((size_t)bytes);
            WideCharToMultiByte(CP_ACP, 0, file, -1, path.data(), bytes, nullptr, nullptr);
            path.resize(strlen(path.c_str()));
        }
        std::lock_guard<std::mutex> hold(State().lock);
        State().renderCalls.push_back({path, HostFileSize(path)});
        for (const DShowTestSource &s : State().sources)
            if (PlatformSameNameIgnoringCase(FileName(path), s.name)) return Connect(s);
        return VFW_E_CANNOT_RENDER;
    }

    // ---- media control
    HRESULT Run() override {
        if (!renderer_) return VFW_E_NOT_CONNECTED;
        {
            std::lock_guard<std::mutex> hold(State().lock);
            running_ = true;
        }
        State().changed.notify_all();
        if (!streamer_) streamer_ = CreateThread(nullptr, 0, StreamThread, this, 0, nullptr);
        return S_OK;
    }
    HRESULT Pause() override {
        std::lock_guard<std::mutex> hold(State().lock);
        running_ = false;
        return S_OK;
    }
    HRESULT Stop() override {
        std::lock_guard<std::mutex> hold(State().lock);
        running_ = false;
        next_ = 0;
        position_ = 0;
        return S_OK;
    }

    // ---- media seeking
    HRESULT GetDuration(LONGLONG *duration) override {
        if (!duration) return E_POINTER;
        *duration = source_.duration >= 0 ? source_.duration : source_.frames * source_.frameTime;
        return S_OK;
    }
    HRESULT GetStopPosition(LONGLONG *stop) override {
        if (!stop) return E_POINTER;
        std::lock_guard<std::mutex> hold(State().lock);
        *stop = stop_;
        return S_OK;
    }
    HRESULT GetCurrentPosition(LONGLONG *current) override {
        if (!current) return E_POINTER;
        std::lock_guard<std::mutex> hold(State().lock);
        *current = position_;
        return S_OK;
    }
    HRESULT SetPositions(LONGLONG *current, DWORD currentFlags, LONGLONG *stop, DWORD stopFlags) override {
        std::lock_guard<std::mutex> hold(State().lock);
        if ((currentFlags & AM_SEEKING_AbsolutePositioning) && current) {
            position_ = std::max<LONGLONG>(0, *current);
            next_ = source_.frameTime > 0 ? (int)(position_ / source_.frameTime) : 0;
        }
        if ((stopFlags & AM_SEEKING_AbsolutePositioning) && stop) stop_ = *stop;
        return S_OK;
    }

    // ---- basic audio
    HRESULT put_Volume(LONG volume) override {
        volume_ = std::clamp<LONG>(volume, -10000, 0);
        return S_OK;
    }
    HRESULT get_Volume(LONG *volume) override {
        if (!volume) return E_POINTER;
        *volume = volume_;
        return S_OK;
    }

private:
    // Lock held. The source's type to the first video renderer added.
    HRESULT Connect(const DShowTestSource &s) {
        CBaseVideoRenderer *renderer = nullptr;
        for (IBaseFilter *f : filters_)
            if ((renderer = dynamic_cast<CBaseVideoRenderer *>(f))) break;
        if (!renderer) return VFW_E_CANNOT_RENDER;
        VIDEOINFOHEADER info{};
        info.AvgTimePerFrame = s.frameTime;
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = s.width;
        info.bmiHeader.biHeight = s.topDown ? -s.height : s.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        CMediaType type;
        type.majortype = MEDIATYPE_Video;
        type.subtype = s.subtype;
        type.formattype = FORMAT_VideoInfo;
        type.bFixedSizeSamples = TRUE;
        type.cbFormat = sizeof info;
        type.pbFormat = reinterpret_cast<BYTE *>(&info);
        if (renderer->CheckMediaType(&type) != S_OK) return VFW_E_CANNOT_CONNECT;
        renderer->SetMediaType(&type);
        renderer_ = renderer;
        source_ = s;
        stop_ = (LONGLONG)s.frames * s.frameTime;
        return S_OK;
    }

    // Frame n as the source lays it out.
    std::vector<BYTE> Frame(int n) const {
        const int stride = (source_.width * 3 + 3) & ~3;
        std::vector<BYTE> bytes((size_t)stride * source_.height);
        for (int y = 0; y < source_.height; y++) {
            BYTE *row = bytes.data() + (size_t)(source_.topDown ? y : source_.height - 1 - y) * stride;
            for (int x = 0; x < source_.width; x++) {
                uint32_t p = DShowTestPixel(n, x, y);
                row[x * 3] = (BYTE)p, row[x * 3 + 1] = (BYTE)(p >> 8), row[x * 3 + 2] = (BYTE)(p >> 16);
            }
        }
        return bytes;
    }

    static DWORD StreamThread(LPVOID self) {
        static_cast<FilterGraph *>(self)->Stream();
        return 0;
    }

    // The streaming thread.
    void Stream() {
        DSHOWSTATE &st = State();
        for (;;) {
            int n;
            {
                std::unique_lock<std::mutex> hold(st.lock);
                st.changed.wait(hold, [&] { return quit_ || (running_ && next_ < source_.frames && st.allowance > 0); });
                if (quit_) return;
                n = next_++;
                st.allowance--;
            }
            std::vector<BYTE> frame = Frame(n);
            Sample *sample = new Sample(source_.sampleBytes >= 0 ? (size_t)source_.sampleBytes : frame.size());
            memcpy(sample->data.data(), frame.data(), std::min(frame.size(), sample->data.size()));
            renderer_->DoRenderSample(sample);
            sample->Release();
            {
                std::lock_guard<std::mutex> hold(st.lock);
                position_ = std::min<LONGLONG>((LONGLONG)(n + 1) * source_.frameTime, stop_);
                st.delivered++;
            }
            st.changed.notify_all();
        }
    }

    std::atomic<ULONG> refs_{1};
    std::vector<IBaseFilter *> filters_;
    CBaseVideoRenderer *renderer_ = nullptr;
    DShowTestSource source_;
    LONG volume_ = 0;
    HANDLE streamer_ = nullptr;
    // Under the state's lock:
    bool running_ = false;
    bool quit_ = false;
    int next_ = 0;
    LONGLONG position_ = 0;
    LONGLONG stop_ = 0;
};

HRESULT CreateFilterGraph(REFIID iid, void **out) {
    if (Failing(DSHOWFAIL_CREATE)) return E_FAIL;
    FilterGraph *graph = new FilterGraph();
    HRESULT hr = graph->QueryInterface(iid, out);
    graph->Release();
    return hr;
}

}  // namespace

void PlatformRegisterDirectShow() { PlatformRegisterComClass(CLSID_FilterGraph, CreateFilterGraph); }

void DShowTestAddSource(const DShowTestSource &source) {
    std::lock_guard<std::mutex> hold(State().lock);
    State().sources.push_back(source);
}

void DShowTestFail(DSHOW_FAILPOINT point, bool fail) {
    std::lock_guard<std::mutex> hold(State().lock);
    State().fail[point] = fail;
}

std::vector<DShowTestRenderCall> DShowTestRenderCalls() {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().renderCalls;
}

void DShowTestAllowFrames(int count) {
    {
        std::lock_guard<std::mutex> hold(State().lock);
        State().allowance += count;
    }
    State().changed.notify_all();
}

bool DShowTestWaitDelivered(int total) {
    std::unique_lock<std::mutex> hold(State().lock);
    return State().changed.wait_for(hold, std::chrono::seconds(5), [&] { return State().delivered >= total; });
}

int DShowTestLiveGraphs() {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().liveGraphs;
}

void DShowTestReset() {
    std::lock_guard<std::mutex> hold(State().lock);
    State().sources.clear();
    for (bool &f : State().fail) f = false;
    State().renderCalls.clear();
    State().allowance = 0;
    State().delivered = 0;
}
