// The renderer filter on its own: the media types it takes, the frame layout it keeps and the
// samples it copies, drops or refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "library/movie/movie_renderer.h"

namespace {

struct VideoType {
    VIDEOINFOHEADER info{};
    CMediaType type;
    VideoType(LONG width, LONG height, GUID subtype = MEDIASUBTYPE_RGB24) {
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biBitCount = 24;
        type.majortype = MEDIATYPE_Video;
        type.subtype = subtype;
        type.formattype = FORMAT_VideoInfo;
        type.cbFormat = sizeof info;
        type.pbFormat = reinterpret_cast<BYTE *>(&info);
    }
};

// A sample whose buffer holds exactly its data, so that reading past it is caught.
class TestSample : public ComObject<IMediaSample> {
public:
    explicit TestSample(std::vector<BYTE> bytes) : data(std::move(bytes)) {}
    HRESULT GetPointer(BYTE **out) override {
        *out = data.data();
        return S_OK;
    }
    LONG GetSize() override { return (LONG)data.size(); }
    LONG GetActualDataLength() override { return (LONG)data.size(); }
    std::vector<BYTE> data;
};

struct RendererHolder {
    MovieRenderer *r;
    RendererHolder() {
        HRESULT hr = E_FAIL;
        r = CreateMovieRenderer(nullptr, &hr);
        EXPECT_EQ(hr, S_OK);
    }
    ~RendererHolder() { r->Release(); }
};

TEST(MovieRenderer, TakesOnlyUncompressed24BitRgbVideo) {
    RendererHolder holder;
    MovieRenderer *r = holder.r;
    VideoType rgb24(16, 8);
    VideoType wrongFormat(16, 8), wrongMajor(16, 8), rgb32(16, 8, MEDIASUBTYPE_RGB32), shortBlock(16, 8);
    VideoType noWidth(0, 8), noHeight(16, 0);
    wrongFormat.type.formattype = MEDIATYPE_Video;
    wrongMajor.type.majortype = FORMAT_VideoInfo;
    shortBlock.type.cbFormat = sizeof(VIDEOINFOHEADER) - 1;
    struct Case {
        const char *name;
        const CMediaType *type;
        HRESULT want;
    } cases[] = {
        {"no type", nullptr, E_POINTER},
        {"format not VideoInfo", &wrongFormat.type, E_INVALIDARG},
        {"major type not video", &wrongMajor.type, E_FAIL},
        {"32-bit RGB", &rgb32.type, E_FAIL},
        {"24-bit RGB", &rgb24.type, S_OK},
        {"format block too short", &shortBlock.type, E_INVALIDARG},
        {"no width", &noWidth.type, E_FAIL},
        {"no height", &noHeight.type, E_FAIL},
    };
    for (const Case &c : cases) EXPECT_EQ(r->CheckMediaType(c.type), c.want) << c.name;
}

TEST(MovieRenderer, RowsArePaddedToFourBytesAndTheHeightSignGivesTheOrder) {
    RendererHolder holder;
    struct Case {
        LONG width, height;
        int stride, rows, bottomUp;
    } cases[] = {{321, 2, 964, 2, 1}, {320, -3, 960, 3, 0}, {1, 1, 4, 1, 1}, {2, -1, 8, 1, 0}};
    for (const Case &c : cases) {
        VideoType t(c.width, c.height);
        EXPECT_EQ(holder.r->SetMediaType(&t.type), 0);
        EXPECT_EQ(holder.r->stride, c.stride) << c.width;
        EXPECT_EQ(holder.r->height, c.rows);
        EXPECT_EQ(holder.r->bottomUp, c.bottomUp);
        EXPECT_EQ(holder.r->frameReady, 0);
    }
}

// Two rows of a 2 x 2 frame (stride 8): row i is filled with i + 1, its padding with 0xEE.
std::vector<BYTE> TwoRows(size_t extra = 0) {
    std::vector<BYTE> bytes(16 + extra, 0xEE);
    for (int row = 0; row < 2; row++) memset(bytes.data() + row * 8, row + 1, 6);
    return bytes;
}

TEST(MovieRenderer, SamplesAreKeptTopDownOrDroppedWhenShort) {
    struct Case {
        const char *name;
        LONG height;             // the type's biHeight
        std::vector<BYTE> data;  // the sample
        bool taken;
        BYTE firstRow;  // the first byte of the kept frame's top row
    } cases[] = {
        {"bottom-up: the second source row lands first", 2, TwoRows(), true, 2},
        {"top-down: copied as it is", -2, TwoRows(), true, 1},
        {"longer than a frame: one frame is read", -2, TwoRows(100), true, 1},
        {"shorter than a frame: dropped", 2, std::vector<BYTE>(15, 1), false, 0},
        {"empty: dropped", 2, {}, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RendererHolder holder;
        MovieRenderer *r = holder.r;
        TestSample *sample = new TestSample(c.data);
        EXPECT_EQ(r->DoRenderSample(sample), S_OK) << "no buffer before a type: nothing copied";
        EXPECT_EQ(r->TakeFrame(), nullptr);
        VideoType t(2, c.height);
        r->SetMediaType(&t.type);
        EXPECT_EQ(r->DoRenderSample(nullptr), E_POINTER);
        EXPECT_EQ(r->DoRenderSample(sample), S_OK);
        sample->Release();
        EXPECT_EQ(r->frameReady, c.taken ? 1 : 0);
        const uint8_t *frame = r->TakeFrame();
        ASSERT_EQ(frame != nullptr, c.taken);
        if (!frame) continue;
        EXPECT_EQ(frame[0], c.firstRow);
        EXPECT_EQ(frame[8], 3 - c.firstRow);
        EXPECT_EQ(r->frameReady, 0);
        EXPECT_EQ(r->TakeFrame(), nullptr) << "taken once";
    }
}

}  // namespace
