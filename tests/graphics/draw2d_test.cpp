// The graph draws end to end: an image file loaded as a graph, drawn through the batch onto
// the device stand-in, against golden screens worked out from the picture alone. The key
// colour (123, 250, 3) is transparent in every draw.
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/render_state.h"
#include "library/graphics/device.h"
#include "library/graphics/vertex_batch.h"
#include "tests/graphics/draw_golden.h"
#include "tests/graphics/screen_fixture.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>


namespace {

const double kPi = 3.141592653589793;

class GraphDraw : public GraphScreenTest {
protected:
    static constexpr int kW = 13, kH = 11;

    void SetUp() override {
        GraphScreenTest::SetUp();
        pic_ = MakeKeyedPicture(kW, kH);
        WriteFile("sprite.bmp", Bmp24(kW, kH, [this](int x, int y) { return pic_.At(x, y); }));
        graph_ = LoadGraphFile("sprite.bmp", 0, 0, 0);
        ASSERT_NE(graph_, -1);
        Clear();
    }

    // Every draw so far flushed, then the screen against the golden one.
    void Expect(const GoldenScreen &golden) {
        FlushVertexBatch();
        std::string report;
        EXPECT_EQ(CountMismatches(golden, D3D9TestReadSurface(back_), &report), 0) << report;
    }
    GoldenScreen Golden(const InverseMap &inverse, double margin = 0.0, int x1 = 0, int y1 = 0,
                        int x2 = kScreenW, int y2 = kScreenH) {
        return MakeGoldenScreen(kScreenW, kScreenH, kBackground, pic_, inverse, margin, x1, y1, x2, y2);
    }
    // Two golden screens of separate draws made into one.
    static GoldenScreen Merge(GoldenScreen a, const GoldenScreen &b) {
        for (size_t i = 0; i < a.pixels.size(); ++i) {
            if (b.pixels[i] != kBackground) a.pixels[i] = b.pixels[i];
            a.ambiguous[i] |= b.ambiguous[i];
        }
        return a;
    }

    GoldenPicture pic_;
    int graph_ = -1;
};

TEST_F(GraphDraw, AtAPointStretchedAndMirroredAreExact) {
    ASSERT_EQ(DrawGraphAt(5, 7, graph_, 1), 0);
    ASSERT_EQ(DrawGraphStretched(40, 10, 40 + 2 * kW, 10 + 3 * kH, graph_, 1), 0);
    ASSERT_EQ(DrawGraphMirrored(100, 60, graph_, 1), 0);
    // x2 < x1 mirrors; x2 = x1 is refused.
    ASSERT_EQ(DrawGraphStretched(200 + kW, 60, 200, 60 + kH, graph_, 1), 0);
    EXPECT_EQ(DrawGraphStretched(300, 60, 300, 80, graph_, 1), -1);
    GoldenScreen g = Golden(InverseOfStretch(5, 7, 5 + kW, 7 + kH, kW, kH));
    g = Merge(g, Golden(InverseOfStretch(40, 10, 40 + 2 * kW, 10 + 3 * kH, kW, kH)));
    g = Merge(g, Golden(InverseOfStretch(100 + kW, 60, 100, 60 + kH, kW, kH)));
    g = Merge(g, Golden(InverseOfStretch(200 + kW, 60, 200, 60 + kH, kW, kH)));
    Expect(g);
}

TEST_F(GraphDraw, DrawAreaClipsAndPartsDrawTheirCell) {
    // Clipped by the area: only the inside shows, with the texels it would have had.
    g_drawArea = MakeDrawArea(10, 10, 16, 14);
    ASSERT_EQ(DrawGraphAt(8, 9, graph_, 1), 0);
    g_drawArea = MakeDrawArea(0, 0, kScreenW, kScreenH);
    GoldenScreen g = Golden(InverseOfStretch(8, 9, 8 + kW, 9 + kH, kW, kH), 0, 10, 10, 16, 14);

    // The 5 x 4 cell at (3, 2) at (100, 100), then mirrored in the same rectangle at (120, 100).
    ASSERT_EQ(DrawGraphPart(100, 100, 3, 2, 5, 4, graph_, 1, 0), 0);
    ASSERT_EQ(DrawGraphPart(120, 100, 3, 2, 5, 4, graph_, 1, 1), 0);
    EXPECT_EQ(g_drawArea.right, kScreenW);  // the area is back
    g = Merge(g, Golden(InverseOfStretch(97, 98, 97 + kW, 98 + kH, kW, kH), 0, 100, 100, 105, 104));
    // Mirrored: the cell's right column lands at the left of the rectangle.
    g = Merge(g, Golden(
                     [](double sx, double sy, double *gx, double *gy) {
                         if (sx < 119.5 || sx >= 124.5 || sy < 99.5 || sy >= 103.5) return false;
                         *gx = 3 + (124.5 - sx);
                         *gy = 2 + (sy - 99.5);
                         return true;
                     },
                     0, 120, 100, 125, 104));
    // A part stretched: the 4 x 4 cell at (2, 1) onto 10 x 10 (factor 2.5).
    ASSERT_EQ(DrawGraphPartStretched(200, 200, 210, 210, 2, 1, 4, 4, graph_, 1), 0);
    g = Merge(g, Golden(InverseOfStretch(200 - 5, 200 - 2, 200 + 27, 200 + 25, kW, kH), 0, 200, 200, 210, 210));
    Expect(g);
}

TEST_F(GraphDraw, RotatedAtZeroQuarterTurnAndGeneralAngle) {
    // Angle 0 at an integer position: the odd graph on the pixels of a 1:1 draw about (50, 50).
    ASSERT_EQ(DrawGraphRotatedAt(50, 50, 1.0, 0.0, graph_, 1, 0), 0);
    GoldenScreen g = Golden(InverseOfStretch(44, 45, 44 + kW, 45 + kH, kW, kH));
    // A quarter turn about (100, 50): exact as well.
    ASSERT_EQ(DrawGraphRotatedAt(100, 50, 1.0, kPi / 2, graph_, 1, 0), 0);
    g = Merge(g, Golden(InverseOfRotation(100, 50, 6.5, 5.5, 1, 1, kPi / 2, kW, kH)));
    Expect(g);

    // 0.7 rad at scale 2 turned, at a fractional position. Tolerance: a pixel whose centre
    // maps within 1/32 texel of a texel boundary or the graph's edge may take either side.
    Clear();
    ASSERT_EQ(DrawGraphRotated(200.3f, 150.6f, 2.0, 0.7, graph_, 1, 1), 0);
    Expect(Golden(InverseOfRotation(200.3, 150.6, 6.5, 5.5, -2, 2, 0.7, kW, kH), 1.0 / 32));
    EXPECT_EQ(DrawGraphRotated(10, 10, 0.0, 0.5, graph_, 1, 0), -1);
}

TEST_F(GraphDraw, FourCornersRectangleAndShear) {
    // Corners on the 1:1 rectangle: the 1:1 result.
    ASSERT_EQ(DrawGraphCorners(30, 40, 30 + kW, 40, 30 + kW, 40 + kH, 30, 40 + kH, graph_, 1), 0);
    GoldenScreen g = Golden(InverseOfStretch(30, 40, 30 + kW, 40 + kH, kW, kH));
    Expect(g);
    // A sheared parallelogram: one quad, the affine map.
    Clear();
    const double sx = 3.0 / kH;  // 3 pixels to the right over the height, twice the width
    ASSERT_EQ(DrawGraphCorners(100, 100, 100 + 2 * kW, 100, 103 + 2 * kW, 100 + kH, 103, 100 + kH, graph_, 1), 0);
    Expect(Golden(
        [=](double px, double py, double *gx, double *gy) {
            const double dy = py + 0.5 - 100, dx = px + 0.5 - 100 - sx * dy;
            *gx = dx / 2;
            *gy = dy;
            return *gx >= -1 && *gy >= -1 && *gx < kW + 1 && *gy < kH + 1;
        },
        1.0 / 32));
}

TEST_F(GraphDraw, BadHandlesAndEmptyAreas) {
    EXPECT_EQ(DrawGraphAt(0, 0, graph_ + 1, 1), -1);
    EXPECT_EQ(DrawGraphPart(0, 0, 0, 0, 4, 4, -1, 1, 0), -1);
    g_drawState.emptyArea = 1;
    EXPECT_EQ(DrawGraphAt(0, 0, graph_, 1), 0);
    g_drawState.emptyArea = 0;
    // A blend graph smaller than the drawn graph fails every draw.
    const int small = CreateBlankGraph(4, 4);
    ASSERT_NE(small, -1);
    g_drawState.blendGraph = small;
    EXPECT_EQ(DrawGraphAt(0, 0, graph_, 1), -1);
    EXPECT_EQ(DrawGraphRotated(20, 20, 1.0, 0.3, graph_, 1, 0), -1);
    g_drawState.blendGraph = -1;
    FlushVertexBatch();
    Expect(Golden([](double, double, double *, double *) { return false; }));
}

TEST_F(GraphDraw, AGraphBoundToAMovieMovesItOnBeforeEachDraw) {
    static std::vector<std::pair<int, int>> calls;
    calls.clear();
    g_graphBridge.advanceMovieFrame = [](int movie, int flag) {
        calls.emplace_back(movie, flag);
        return 0;
    };
    GetGraphEntry(graph_)->boundMovie = 7;
    EXPECT_EQ(DrawGraphAt(0, 0, graph_, 1), 0);
    EXPECT_EQ(DrawGraphStretched(0, 0, 30, 30, graph_, 1), 0);
    EXPECT_EQ(DrawGraphPart(0, 0, 2, 2, 4, 4, graph_, 1, 0), 0);
    GetGraphEntry(graph_)->boundMovie = -1;
    EXPECT_EQ(DrawGraphAt(0, 0, graph_, 1), 0);
    g_graphBridge.advanceMovieFrame = nullptr;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], std::make_pair(7, 0));
}

}  // namespace
