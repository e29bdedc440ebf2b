// Map gimmicks over small text grids: the story-flag gates at creation, falling onto solid and
// sloped tiles, gravity motion, animation, the screen positions and the draw, and the exits with
// a recorder in place of the event scripts' step.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/status_window.h"
#include "game/world/gimmicks.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/world/grid_fixture.h"

namespace {

// The recorder's script pointers: exit script n is the address of kScripts[n].
int kScripts[kExitScriptCount + 1];
const Script *ExitScript(int n) { return reinterpret_cast<const Script *>(&kScripts[n]); }

struct StepLog {
    std::vector<int> scripts; // script numbers stepped, in order
    int stepsLeft = 0;        // steps that answer 1 before the one that ends
};
StepLog g_steps;

int RecordStep(const Script *script, ScriptContext *)
{
    g_steps.scripts.push_back((int)(reinterpret_cast<const int *>(script) - kScripts));
    if (g_steps.stepsLeft > 0) {
        g_steps.stepsLeft--;
        return 1;
    }
    return 0;
}

class GimmicksTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetGameInput() = GameInput{};
        GetGameInput().padAssign[BUTTON_DOWN] = 0;
        g_steps = StepLog{};
        g.status = &status;
        g.companion = &companion;
        g.player = &player;
        g.InitGimmicks();
        for (int n = 1; n <= kExitScriptCount; n++) g.exitScripts[n] = ExitScript(n);
        g.scriptStep = RecordStep;
        UseGrid(SizedGrid(40, 30));
    }
    void TearDown() override { GetGameInput() = GameInput{}; }
    void UseGrid(const MapGrid &grid) {
        grid_ = grid;
        g.grid = &grid_;
    }
    GimmickNode &Only() {
        EXPECT_EQ(g.nodes.size(), 1u);
        return g.nodes.front();
    }
    void Down(int count) { GetGameInput().padCounters[0] = count; }

    Gimmicks g;
    StatusWindow status;
    Companion companion;
    Player player;
    MapGrid grid_;
};

TEST_F(GimmicksTest, FlagsGateTheKindAtCreationOnly)
{
    struct Case {
        int kind;
        std::vector<int> flags;
        int madeScript; // the script of the kind made: 0 for kind 0
    };
    const Case cases[] = {
        {1, {}, 14},       // hidden by 9
        {1, {9}, 0},
        {12, {}, 0},       // shown by 9
        {12, {9}, 46},
        {8, {}, 0},        // shown by 45, hidden by 48
        {8, {45}, 10},
        {8, {45, 48}, 0},
        {170, {9, 20}, 42}, // no gates
        {177, {}, 0},      // outside the table: kind 0
        {-5, {}, 0},
    };
    for (const Case &c : cases) {
        status.storyFlags.fill(0);
        for (int f : c.flags) SetStoryFlag(f, status);
        g.FreeGimmickList();
        g.CreateGimmick(32, 48, c.kind);
        const GimmickNode &n = Only();
        const GimmickKind &made = kGimmickKinds[c.madeScript == 0 ? 0 : (c.kind < 0 || c.kind > 176 ? 0 : c.kind)];
        EXPECT_EQ(n.scriptNumber, c.madeScript) << "kind " << c.kind;
        EXPECT_EQ(n.sheetX, (float)made.sheetX) << "kind " << c.kind;
        EXPECT_EQ(n.x, 32.0f + made.halfWidth) << "kind " << c.kind;
        EXPECT_EQ(n.y, 48.0f + made.halfHeight) << "kind " << c.kind;
    }
    // Setting the flag afterwards changes nothing: the node keeps its kind.
    status.storyFlags.fill(0);
    g.FreeGimmickList();
    g.CreateGimmick(32, 48, 12);
    SetStoryFlag(9, status);
    for (int i = 0; i < 5; i++) g.UpdateGimmicks();
    EXPECT_EQ(Only().scriptNumber, 0);
    EXPECT_EQ(Only().sheetX, 32.0f);
}

TEST_F(GimmicksTest, FallsOntoSolidTilesOnly)
{
    // A kind-0 gimmick (falls 2.2 a frame, 16 x 16) dropped over a tile of each attribute in row 10.
    for (int attribute = 0; attribute < 16; attribute++) {
        std::vector<std::string> rows(30, std::string(40, '.'));
        rows[10][5] = "0123456789abcdef"[attribute];
        UseGrid(AsciiGrid(rows));
        g.FreeGimmickList();
        g.CreateGimmick(5 * 16, 2 * 16, 0);
        for (int i = 0; i < 80; i++) g.UpdateGimmicks();
        const bool solid = attribute == 1 || attribute == 10 || attribute == 12;
        const bool slope = attribute >= 2 && attribute <= 5;
        if (solid) {
            EXPECT_FLOAT_EQ(Only().y, 160 - 8 - 0.1f) << "attribute " << attribute;
        } else if (!slope) {
            EXPECT_GT(Only().y, 160.0f + 16) << "attribute " << attribute << " held it";
        }
    }
    // A still gimmick sunk into a solid tile is lifted onto it on its first update; one moving
    // up into a ceiling stops with its top edge at the ceiling's bottom.
    std::vector<std::string> rows(30, std::string(40, '.'));
    rows[10] = std::string(40, '1');
    rows[4] = std::string(40, '1');
    UseGrid(AsciiGrid(rows));
    g.FreeGimmickList();
    g.CreateGimmick(64, 150, 163); // motion 5: stays
    g.UpdateGimmicks();
    EXPECT_FLOAT_EQ(Only().y, 160 - 8 - 0.1f);
    g.FreeGimmickList();
    g.CreateGimmick(64, 100, 0); // its centre at y 108; no kind falls under gravity, scripts may
    Only().motion = 2;
    Only().speedY = -6;
    // Rising 5.8, 5.6, 5.4, then 5.2 takes its top edge into row 4.
    for (int i = 0; i < 4; i++) g.UpdateGimmicks();
    EXPECT_FLOAT_EQ(Only().y, 80 + 8);
    EXPECT_EQ(Only().speedY, 0.0f);
}

TEST_F(GimmicksTest, SettlesOnTheSurfaceOfSlopes)
{
    struct Slope {
        int attribute;
        float left, right; // surface height at the cell's edges, below its top
    };
    const Slope slopes[] = {{2, 16, 8}, {3, 8, -2}, {4, 8, 16}, {5, -2, 8}};
    for (const Slope &s : slopes) {
        for (int offset : {2, 7, 13}) {
            std::vector<std::string> rows(30, std::string(40, '.'));
            rows[5][2] = (char)('0' + s.attribute);
            rows[6] = std::string(40, '1');
            UseGrid(AsciiGrid(rows));
            g.FreeGimmickList();
            // A 12 x 12 kind falling from row 1 with its centre over x = 32 + offset.
            g.CreateGimmick(32 + offset - 6, 16, 37); // kind 37: 6 x 6, still; made to fall below
            Only().motion = 1;
            for (int i = 0; i < 80; i++) g.UpdateGimmicks();
            const float x = 32.0f + offset;
            const float surface = 80 + s.left + (s.right - s.left) * (x - 32) / 16;
            EXPECT_NEAR(Only().y + 6, surface, 1e-3) << "attribute " << s.attribute << " at " << offset;
            EXPECT_FLOAT_EQ(Only().x, x);
        }
    }
}

TEST_F(GimmicksTest, GravityMotionStopsWhenItHits)
{
    std::vector<std::string> rows(30, std::string(40, '.'));
    rows[20] = std::string(40, '1');
    UseGrid(AsciiGrid(rows));
    g.CreateGimmick(64, 64, 0);
    GimmickNode &n = Only();
    n.motion = 2; // falls under gravity
    n.speedX = 1;
    float lastY = n.y, lastStep = 0;
    int frames = 0;
    while (n.speedY != 0 || frames == 0) {
        g.UpdateGimmicks();
        if (n.speedY != 0) {
            EXPECT_NEAR(n.y - lastY, lastStep + 0.2f, 1e-3);
            lastStep = n.y - lastY;
        }
        lastY = n.y;
        ASSERT_LT(++frames, 100);
    }
    EXPECT_FLOAT_EQ(n.y, 320 - 8 - 0.1f);
    EXPECT_EQ(n.speedX, 0.0f);
    const float x = n.x;
    g.UpdateGimmicks();
    EXPECT_EQ(n.x, x);
}

TEST_F(GimmicksTest, AnimationAndTheUpdateCount)
{
    g.UpdateGimmicks();
    g.UpdateGimmicks();
    EXPECT_EQ(g.updateCount, 2); // with an empty list too
    g.updateCount = 0;
    g.CreateGimmick(0, 0, 35); // 4 frames, a frame every 6 updates
    std::vector<int> frames;
    for (int i = 0; i < 26; i++) {
        g.UpdateGimmicks();
        frames.push_back(Only().frame);
    }
    // Count 0 before the first update: the frame moves at counts 0, 6, 12, ...
    const std::vector<int> want = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(frames, want);
}

TEST_F(GimmicksTest, ScreenPositionsAndDraw)
{
    const GameGraphicsCalls saved = InstallDrawRecorder();
    g.sheet = 77;
    UseGrid(SizedGrid(100, 60));
    companion.x = 500; // the camera centres on it
    companion.y = 300;
    struct Case {
        float x, y;
        float sx, sy; // -32: off screen
    };
    const Case cases[] = {
        {500, 300, 160, 121},     {500.7f, 300.9f, 160, 121}, {340 - 63.5f, 300, -63, 121},
        {340 - 64, 300, -32, -32}, {500 + 223.9f, 300, 383, 121}, {500 + 224, 300, -32, -32},
        {500, 180 - 63.9f, 160, -62}, {500, 180 - 64, -32, -32},  {500, 300 + 183.5f, 160, 304},
        {500, 300 + 184, -32, -32},
    };
    for (const Case &c : cases) {
        g.FreeGimmickList();
        g.CreateGimmick(0, 0, 0);
        Only().x = c.x;
        Only().y = c.y;
        g.UpdateGimmickScreenPositions();
        EXPECT_EQ(Only().screenX, c.sx) << c.x << "," << c.y;
        EXPECT_EQ(Only().screenY, c.sy) << c.x << "," << c.y;
    }
    // The camera clamp: a focus at the map's corner shows the corner.
    companion.x = companion.y = 0;
    g.FreeGimmickList();
    g.CreateGimmick(0, 0, 0);
    g.UpdateGimmickScreenPositions();
    EXPECT_EQ(Only().screenX, 8.0f);
    EXPECT_EQ(Only().screenY, 9.0f);
    // Drawn from the sheet at its frame's cell, centred on the screen position, see-through.
    g.FreeGimmickList();
    g.CreateGimmick(0, 0, 35);
    Only().frame = 2;
    g.UpdateGimmickScreenPositions();
    g.CreateGimmick(0, 0, 170);
    Recorded().calls.clear();
    g.UpdateGimmickScreenPositions();
    g.DrawGimmicks();
    EXPECT_EQ(Recorded().calls,
              (std::vector<DrawCall>{Part(0, 1, 48 + 2 * 16, 0, 16, 16, 77, 1), Part(0, 1, 0, 64, 16, 32, 77, 1)}));
    RemoveDrawRecorder(saved);
}

TEST_F(GimmicksTest, ExitsWhileDownIsHeldOrOnTouch)
{
    g.CreateGimmick(96, 96, 170); // 16 x 32 at (96, 96): the player is inside 96 < x < 112, 96 < y < 128
    player.x = 104;
    player.y = 120;
    // Any hold count above 0 starts the exit; the step runs in the same call.
    for (int count : {1, 2, 37}) {
        g_steps.scripts.clear();
        Down(count);
        g.RunGimmickExits();
        EXPECT_EQ(g_steps.scripts, std::vector<int>{42}) << "count " << count;
        EXPECT_EQ(g.exitRunning, 0);
        EXPECT_EQ(g.exitNode, &g.nodes.front());
    }
    // Not held, or a pad assignment that reads -1: nothing.
    g_steps.scripts.clear();
    Down(0);
    g.RunGimmickExits();
    GetGameInput().padAssign[BUTTON_DOWN] = 99;
    g.RunGimmickExits();
    EXPECT_TRUE(g_steps.scripts.empty());
    GetGameInput().padAssign[BUTTON_DOWN] = 0;
    // Strictly inside: on the edge nothing starts.
    Down(1);
    for (float x : {96.0f, 112.0f}) {
        player.x = x;
        g.RunGimmickExits();
    }
    EXPECT_TRUE(g_steps.scripts.empty());
    // A touch gimmick needs no button.
    Down(0);
    g.CreateGimmick(160, 96, 37); // 12 x 12, touch, script 29
    player.x = 166;
    player.y = 102;
    g.RunGimmickExits();
    EXPECT_EQ(g_steps.scripts, std::vector<int>{29});
    // While the companion is steered, nothing triggers and a running exit does not step.
    companion.mode = 1;
    g_steps.scripts.clear();
    g.RunGimmickExits();
    g.exitRunning = 1;
    g.exitScript = 29;
    g.RunGimmickExits();
    EXPECT_TRUE(g_steps.scripts.empty());
    EXPECT_EQ(g.exitRunning, 1);
}

TEST_F(GimmicksTest, RunningExitStepsToItsEndAndBlocksOthers)
{
    g.CreateGimmick(96, 96, 170);
    g.CreateGimmick(96, 96, 171); // the same place: the first in the list wins
    player.x = 104;
    player.y = 120;
    Down(1);
    g_steps.stepsLeft = 2;
    for (int i = 0; i < 5; i++) g.RunGimmickExits();
    // Steps 1, 2 answer 1, step 3 ends it; then a new exit starts on the same held button.
    EXPECT_EQ(g_steps.scripts, (std::vector<int>{42, 42, 42, 42, 42}));
    EXPECT_EQ(g.exitNode, &g.nodes.front());
    // A kind without a script starts and ends in one call; so does a number past the scripts.
    for (int script : {0, 74, -1}) {
        g.FreeGimmickList();
        g.CreateGimmick(96, 112, 10);
        g.nodes.front().scriptNumber = script;
        g_steps.scripts.clear();
        g.RunGimmickExits();
        EXPECT_EQ(g.exitRunning, 0) << script;
        EXPECT_EQ(g.exitScript, script);
        EXPECT_EQ(g.exitNode, &g.nodes.front());
        EXPECT_TRUE(g_steps.scripts.empty()) << script;
    }
}

TEST_F(GimmicksTest, RemovalRequestUnlinksTheExitsGimmick)
{
    for (int kind : {10, 170, 11}) g.CreateGimmick(kind * 4, 96, kind);
    // A request with no exit's gimmick only clears itself.
    g.removeRequest = 1;
    g.RunGimmickExits();
    EXPECT_EQ(g.removeRequest, 0);
    EXPECT_EQ(g.nodes.size(), 3u);
    player.x = 680 + 8;
    player.y = 120;
    Down(1);
    g.removeRequest = 1;
    g.RunGimmickExits();
    EXPECT_EQ(g.exitNode, nullptr);
    ASSERT_EQ(g.nodes.size(), 2u);
    EXPECT_EQ(g.nodes.front().sheetX, 240.0f); // kind 10 first, kind 11 last
    EXPECT_EQ(g.nodes.back().sheetX, 128.0f);
    g.FreeGimmickList();
    EXPECT_TRUE(g.nodes.empty());
    EXPECT_EQ(g.exitNode, nullptr);
}

} // namespace
