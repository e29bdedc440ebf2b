// The decoder's YUV surfaces on the Direct3D stand-in, which makes them only when the test allows:
// the formats tried in order and their bytes, and a graph drawn from the surface.
#include "tests/movie/movie_library_fixture.h"

namespace {

using YuvSurfaceTest = MovieLibraryTest;

TEST_F(YuvSurfaceTest, FormatsAreTriedInOrderAndHoldTheFramesSamples) {
    TheoraSpec spec;
    spec.frames = 12;
    const std::vector<uint8_t> file = EncodeOggTheora(spec);
    WriteFile("movie.ogv", file);
    const std::vector<movies::Picture> reference = movies::DecodeReference(file);
    Start(false);
    const int graph = LoadGraphFile("movie.ogv", 0, 0, 0);
    ASSERT_NE(graph, -1);
    THEORADEC *d = GetMovieRecord(GetGraphEntry(graph)->boundMovie)->decoder;
    EXPECT_EQ(CreateTheoraYuvSurface(d), -1) << "refused by default: playback takes the RGB road";
    EXPECT_EQ(GetTheoraYuvSurface(d), nullptr);

    D3D9TestAllowVideoSurfaces(true);
    struct Case {
        int refused;  // formats refused before
        D3DFORMAT format;
    } cases[] = {{0, D3DFMT_YV12}, {1, D3DFMT_YUY2}, {2, D3DFMT_UYVY}, {3, D3DFMT_UNKNOWN}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refused);
        D3D9TestFailCall("CreateOffscreenPlainSurface", c.refused);
        EXPECT_EQ(CreateTheoraYuvSurface(d), c.format == D3DFMT_UNKNOWN ? -1 : 0);
        D3D9TestFailCall("CreateOffscreenPlainSurface", 0);
        EXPECT_EQ(d->surfaceFormat, c.format);
        if (c.format == D3DFMT_UNKNOWN) continue;
        StepTheoraFrames(d, 5);
        const movies::Picture &want = reference[GetTheoraFrameNumber(d)];
        ASSERT_EQ(ConvertTheoraFrame(d, 0, 1), 1);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(GetTheoraYuvSurface(d)->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const uint8_t *bits = static_cast<const uint8_t *>(locked.pBits);
        const int pitch = locked.Pitch;
        int wrong = 0;
        for (int y = 0; y < 75; y++)
            for (int x = 0; x < 100; x++) {
                const size_t at = (size_t)y * 100 + x;
                if (c.format == D3DFMT_YV12) {
                    wrong += bits[(size_t)y * pitch + x] != want.luma[at];
                    if (x % 2 || y % 2) continue;
                    // The V plane first, then U; each at half the pitch, 38 rows.
                    const uint8_t *v = bits + (size_t)pitch * 75, *u = v + (size_t)(pitch / 2) * 38;
                    const size_t c2 = (size_t)(y / 2) * (pitch / 2) + x / 2;
                    wrong += v[c2] != want.cr[at];
                    wrong += u[c2] != want.cb[at];
                } else {
                    // Pairs of pixels: Y0 U Y1 V (YUY2) or U Y0 V Y1 (UYVY).
                    const uint8_t *pair = bits + (size_t)y * pitch + (size_t)(x & ~1) * 2;
                    const bool uyvy = c.format == D3DFMT_UYVY;
                    wrong += pair[(uyvy ? 1 : 0) + (x & 1) * 2] != want.luma[at];
                    if (x % 2) continue;
                    wrong += pair[uyvy ? 0 : 1] != want.cb[at];
                    wrong += pair[uyvy ? 2 : 3] != want.cr[at];
                }
            }
        EXPECT_EQ(wrong, 0);
        GetTheoraYuvSurface(d)->UnlockRect();
        // Drawn, the graph takes the frame from the surface.
        ClearDrawTarget();
        ASSERT_EQ(DrawGraphAt(0, 0, graph, 0), 0);
        EXPECT_EQ(ReadTheoraPatternNumber(100, 75, Bright), GetTheoraFrameNumber(d));
    }
    D3D9TestAllowVideoSurfaces(false);
}

}  // namespace
