// DirectShow as far as the library's movie layer uses it: the filter graph (building, running,
// seeking, its audio), media types and samples, and the base class of a video renderer filter.
//
// The stand-in renders no real file: RenderFile refuses every file except the test sources that
// the test face registers (platform/testing/dshow.h), which connect the graph's video renderer
// with 24-bit RGB frames and stream numbered frames on a thread of their own while running.
#pragma once

#include "platform/com/com.h"
#include "platform/gdi32/gdi32.h"

typedef LONGLONG REFERENCE_TIME;  // 100 ns units

#define VFW_E_CANNOT_CONNECT ((HRESULT)0x80040217u)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218u)
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209u)

#define AM_SEEKING_NoPositioning 0x0u
#define AM_SEEKING_AbsolutePositioning 0x1u

extern const CLSID CLSID_FilterGraph;
extern const IID IID_IGraphBuilder;
extern const IID IID_IMediaControl;
extern const IID IID_IMediaSeeking;
extern const IID IID_IBasicAudio;
extern const IID IID_IBaseFilter;
extern const GUID MEDIATYPE_Video;
extern const GUID MEDIASUBTYPE_RGB24;
extern const GUID MEDIASUBTYPE_RGB32;
extern const GUID FORMAT_VideoInfo;

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown *pUnk;
    ULONG cbFormat;
    BYTE *pbFormat;
};

// The base classes' media type: the plain record with its accessors.
class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType() : AM_MEDIA_TYPE{} {}
    const GUID *Type() const { return &majortype; }
    const GUID *Subtype() const { return &subtype; }
    const GUID *FormatType() const { return &formattype; }
    BYTE *Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
};

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};

struct IMediaSample : IUnknown {
    virtual HRESULT GetPointer(BYTE **buffer) = 0;
    virtual LONG GetSize() = 0;              // bytes of the buffer
    virtual LONG GetActualDataLength() = 0;  // bytes of data in it
};

struct IBaseFilter : IUnknown {
    virtual HRESULT GetClassID(CLSID *clsid) = 0;
};

struct IGraphBuilder : IUnknown {
    virtual HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) = 0;
    virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0;
};

struct IMediaControl : IUnknown {
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
};

struct IMediaSeeking : IUnknown {
    virtual HRESULT GetDuration(LONGLONG *duration) = 0;
    virtual HRESULT GetStopPosition(LONGLONG *stop) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG *current) = 0;
    virtual HRESULT SetPositions(LONGLONG *current, DWORD currentFlags, LONGLONG *stop, DWORD stopFlags) = 0;
};

struct IBasicAudio : IUnknown {
    virtual HRESULT put_Volume(LONG volume) = 0;  // hundredths of a decibel, -10,000 .. 0
    virtual HRESULT get_Volume(LONG *volume) = 0;
};

// The base of a video renderer: a reference-counted filter that the graph connects with a media
// type it accepts (CheckMediaType, then SetMediaType) and hands samples to (DoRenderSample) on
// its streaming thread.
class CBaseVideoRenderer : public IBaseFilter {
public:
    CBaseVideoRenderer(REFCLSID clsid, LPCSTR name, LPUNKNOWN outer, HRESULT *result);
    virtual ~CBaseVideoRenderer() = default;

    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetClassID(CLSID *clsid) override;

    virtual HRESULT CheckMediaType(const CMediaType *type) = 0;
    virtual HRESULT SetMediaType(const CMediaType *type);
    virtual HRESULT DoRenderSample(IMediaSample *sample) = 0;

private:
    CLSID clsid_;
    ULONG refs_ = 1;
};

void PlatformRegisterDirectShow();
