// A started library (headless host, fake clock) for movie tests that draw: on the Direct3D
// stand-in or the software screen, with helpers that read back what a graph drew.
#pragma once

#include "base/library_fixture.h"
#include "fixtures/memimg_pixel.h"
#include "tests/movie/movie_fixture.h"

#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/screen.h"
#include "library/graphics/vertex_batch.h"
#include "library/movie/movie.h"
#include "platform/testing/d3d9.h"

class MovieLibraryTest : public LibraryRun {
protected:
    void SetUp() override {
        LibraryRun::SetUp();
        savedBits_ = g_screenSetup.bits;
    }
    void TearDown() override {
        EndLibrary();
        SelectHardwareRendering(1);
        g_screenSetup.bits = savedBits_;
        LibraryRun::TearDown();
    }

    void Start(bool software, int bits = 16) {
        ChangeWindowMode(1);
        ASSERT_EQ(SelectHardwareRendering(software ? 0 : 1), 0);
        g_screenSetup.bits = bits;
        PlatformTestSetFakeClockAutoStepMs(1);  // start-up's timed waits end
        ASSERT_EQ(InitLibrary(), 0);
        ASSERT_EQ(g_screenSetup.direct3D, software ? 0 : 1);
        // From here the clock moves only when the test says.
        PlatformTestSetFakeClockAutoStepMs(0);
        SetDrawTarget(BACK_PAGE);
    }

    // A back-screen pixel as 0xRRGGBB, on either path.
    static uint32_t ScreenPixel(int x, int y) {
        if (!g_screenSetup.direct3D) return MemImgPixelRGB(g_softScreen.screen, x, y);
        FlushVertexBatch();
        return D3D9TestReadPixel(g_deviceState.backBuffer, x, y) & 0xFFFFFF;
    }
    static int Bright(int x, int y) {
        const uint32_t c = ScreenPixel(x, y);
        return (int)(((c >> 16 & 255) + (c >> 8 & 255) + (c & 255)) / 3);
    }

    // Draws the graph at the top left and reads the frame number it shows.
    static int DrawnFrame(int graph) {
        ClearDrawTarget();
        EXPECT_EQ(DrawGraphAt(0, 0, graph, 0), 0);
        return ReadTheoraPatternNumber(100, 75, Bright);
    }

    static MOVIEREC *MovieOf(int graph) { return GetMovieRecord(GetGraphEntry(graph)->boundMovie); }

    int savedBits_ = 0;
};
