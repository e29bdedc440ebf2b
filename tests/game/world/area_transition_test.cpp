// The area transition frame by frame over small grid files, with the input step of the main loop
// (counters cleared while input is locked) and the drawing recorded: the order and length of its
// states, what the load frame sets, the spans of the lock bytes, forced warps, the companion's
// refusal, the link bytes that start nothing, unfilled entries, and the immediate area load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/actors/actors.h"
#include "game/frame/control_bytes.h"
#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/world/area_table.h"
#include "game/world/area_transition.h"
#include "game/world/full_screen_effect.h"
#include "game/world/map_grid.h"
#include "game/world/screen_effect.h"
#include "game/world/tile_view.h"
#include "game/world/wipe.h"
#include "tests/game/draw_recorder.h"

namespace {

int g_hour = 7;
int Hour() { return g_hour; }

uint32_t Link(int n) { return (uint32_t)n << 24; }
constexpr uint32_t kSolid = 0x100 | 0x21;

// A grid file of free cells with a solid floor on the last row and the given cells.
void WriteGrid(const std::filesystem::path &path, int w, int h, const std::map<std::pair<int, int>, uint32_t> &cells)
{
    std::vector<uint8_t> b;
    auto put = [&b](uint32_t v) {
        for (int k = 0; k < 4; k++) b.push_back((uint8_t)(v >> (8 * k)));
    };
    put((uint32_t)w);
    put((uint32_t)h);
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++) {
            auto it = cells.find({c, r});
            put(it != cells.end() ? it->second : r == h - 1 ? kSolid : 0u);
        }
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), (std::streamsize)b.size());
}

// Frames a wipe of the pattern takes until it reports done (the frame that reports included).
int WipeFrames(int pattern, int uncover)
{
    Wipe scratch;
    int n = 1;
    while (RunWipe(scratch, pattern, uncover) != 1) n++;
    TakeRecordedCalls();
    return n;
}

class AreaTransitionTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        saved_ = InstallDrawRecorder();
        GetGameInput() = GameInput{};
        GetGameInput().padAssign[BUTTON_DOWN] = 0;
        g_hour = 7;
        SetLocalHourSource(Hour);
        savedTrack_ = GetSoundLists().currentTrack;
        GetSoundLists().currentTrack = 6;
        LoadWipeImages(wipe);
        InitMapGrid(grid);
        t.grid = &grid;
        t.tileView = &view;
        t.mapChange = &change;
        t.wipe = &wipe;
        t.hud = &hud;
        t.player = &player;
        t.enemies = &enemies;
        t.companion = &companion;
        t.fullScreen = &fullScreen;
        t.screenEffect = &screen;
        t.control = &control;
        InitAreaTransition(t);
        // The new-game room with its door under the start and the village it leads to.
        WriteGrid(dir_ / "MAP/kyoto/ride.bin", 40, 30, {{{6, 10}, Link(1)}, {{8, 10}, Link(2)}});
        WriteGrid(dir_ / "MAP/kyoto/kyoto1.bin", 64, 30, {{{7, 25}, 0}});
        WriteGrid(dir_ / "MAP/kyoto/enkai.bin", 40, 30, {});
    }
    void TearDown() override {
        FreeMapGrid(grid);
        GetSoundLists().currentTrack = savedTrack_;
        SetLocalHourSource(nullptr);
        GetGameInput() = GameInput{};
        RemoveDrawRecorder(saved_);
        LogStartTest::TearDown();
    }

    // The new-game room, entered at its start with DOWN's door under the player.
    void EnterRoom() {
        ASSERT_EQ(LoadArea(t, 111, 104, 168, kNoArea), 0);
        change.pending = 0;
        TakeRecordedCalls();
    }

    // One frame: the main loop's input step, then the transition. Gives the phase the frame ran:
    // 'w' cover wipe, 'L' load, 'c' held cover, 'u' uncover wipe, 's' settle, '.' none; and checks
    // what the frame drew.
    char Frame(bool down) {
        GameInput &in = GetGameInput();
        if (in.inputLock) in.ClearInputCounters();
        else in.padCounters[0] = down ? in.padCounters[0] + 1 : 0;
        const bool wasBusy = t.busy;
        const int state = t.state, counter = t.stepCounter;
        RunAreaTransition(t);
        char phase = '.';
        if (!wasBusy) phase = t.busy ? 'w' : '.';
        else if (state == TRANSITION_COVER) phase = 'w';
        else if (state == TRANSITION_LOAD) phase = 'L';
        else if (state == TRANSITION_HOLD) phase = counter < kTransitionHoldFrames ? 'c' : 'u';
        else phase = 's';
        const std::vector<DrawCall> draws = TakeRecordedCalls();
        const int frame = frames_++;
        switch (phase) {
        case 'w':
        case 'u':
            if (phase == 'w') {
                EXPECT_FALSE(draws.empty()) << "frame " << frame;
            }
            for (const DrawCall &d : draws) EXPECT_EQ(d.graph, wipe.blockSheet) << "frame " << frame << " " << d;
            break;
        case 'L':
        case 'c': EXPECT_EQ(draws, std::vector<DrawCall>{Stretch(0, 0, 320, 240, wipe.cover, 1)}) << "frame " << frame; break;
        default: EXPECT_TRUE(draws.empty()) << "frame " << frame; break;
        }
        // The input lock, the player's hold, HUD off and the attack pause span the whole run.
        const uint8_t on = t.busy;
        EXPECT_EQ(in.inputLock, on) << "frame " << frame;
        EXPECT_EQ(player.movementLock, on) << "frame " << frame;
        EXPECT_EQ(control.hudOff, on) << "frame " << frame;
        EXPECT_EQ(control.attackPause, on) << "frame " << frame;
        return phase;
    }
    // Frames until the transition has ended (at most a limit), as a string of phases.
    std::string RunToEnd(bool down, const std::string &start = "") {
        std::string phases = start;
        for (int i = 0; i < 400 && (phases.empty() || t.busy); i++) phases += Frame(down);
        return phases;
    }
    static std::string Timeline(int cover, int hold, int uncover) {
        return std::string((size_t)cover, 'w') + "L" + std::string((size_t)hold, 'c') + std::string((size_t)uncover, 'u') +
               std::string(11, 's');
    }

    GameGraphicsCalls saved_;
    int savedTrack_ = -1;
    int frames_ = 0;
    MapGrid grid;
    TileView view;
    MapChange change;
    Wipe wipe;
    Hud hud;
    Player player;
    Enemies enemies;
    Companion companion;
    FullScreenEffect fullScreen;
    ScreenEffect screen;
    ControlBytes control;
    AreaTransition t;
};

TEST_F(AreaTransitionTest, DownOnAWarpRunsEveryStateInOrder)
{
    // Room 111 covers with pattern 2, the village (89) uncovers with pattern 4.
    const std::string want = Timeline(WipeFrames(2, 0), kTransitionHoldFrames, WipeFrames(4, 1));
    for (bool held : {false, true}) {
        EnterRoom();
        player.darkness = 1;
        player.icy = 1;
        enemies.areaFlag = 1;
        screen.wave = 1;
        StartScreenEffect(fullScreen, FULLSCREEN_FADE);
        GetSoundLists().currentTrack = 6;
        g_hour = 21;
        std::string phases(1, Frame(true)); // DOWN pressed on the door
        std::string rest;
        while (t.busy && rest.size() < 400) {
            const char phase = Frame(held);
            rest += phase;
            if (phase != 'L') continue;
            // The load frame: the village's grid and settings, the banner and the map change.
            EXPECT_EQ(grid.path, "MAP/kyoto/kyoto1.bin");
            EXPECT_EQ(grid.width, 64);
            EXPECT_EQ(view.layer1Sheet, 8);
            EXPECT_EQ(view.layer2Sheet, 8);
            EXPECT_EQ(player.enemySet, 16);
            EXPECT_EQ(player.x, 120.0f);
            EXPECT_EQ(player.y, 408.0f);
            EXPECT_EQ(player.vx, 0.0f);
            EXPECT_EQ(player.darkness, 0);
            EXPECT_EQ(player.icy, 0);
            EXPECT_EQ(enemies.areaFlag, 0);
            EXPECT_EQ(screen.wave, 0);
            EXPECT_EQ(fullScreen.mode, 666);
            EXPECT_EQ(GetSoundLists().currentTrack, 0);
            EXPECT_EQ(t.localHour, 21);
            EXPECT_EQ(std::string(hud.bannerText), TransitionArea(89)->name);
            EXPECT_EQ(hud.bannerState, 2);
            EXPECT_EQ(change.pending, 1);
            EXPECT_EQ(change.oldArea, 111);
            EXPECT_EQ(change.newArea, 89);
            EXPECT_EQ(t.currentArea, 89);
        }
        EXPECT_EQ(phases + rest, want) << (held ? "held" : "pressed");
        // Held on after the end: the landing cell is no warp, so nothing starts again.
        for (int i = 0; i < 20; i++) EXPECT_EQ(Frame(held), '.');
        EXPECT_EQ(t.state, TRANSITION_COVER);
        EXPECT_EQ(t.currentArea, 89);
    }
}

TEST_F(AreaTransitionTest, ForcedWarpSwapsTheWarpAndRestartsTheCount)
{
    // Forced while covering: the load takes the forced warp (room warp 2: the save point).
    EnterRoom();
    std::string phases(1, Frame(true));
    phases += Frame(false);
    t.forcedWarp = 2;
    phases = RunToEnd(false, phases);
    EXPECT_EQ(t.forcedWarp, 0);
    EXPECT_EQ(t.currentArea, 99);
    EXPECT_EQ(grid.path, "MAP/kyoto/enkai.bin");
    EXPECT_EQ(phases, Timeline(WipeFrames(2, 0), kTransitionHoldFrames, WipeFrames(TransitionArea(99)->wipePattern, 1)));
    // Forced 30 frames into the hold: the hold counts from 0 again, the state goes on.
    EnterRoom();
    phases = Frame(true);
    while (!(t.state == TRANSITION_HOLD && t.stepCounter == 30)) phases += Frame(false);
    t.forcedWarp = 2;
    phases = RunToEnd(false, phases);
    EXPECT_EQ(t.warpIndex, 1);
    EXPECT_EQ(t.currentArea, 89); // loaded once, before the swap
    EXPECT_EQ(phases, Timeline(WipeFrames(2, 0), 30 + kTransitionHoldFrames, WipeFrames(4, 1)));
    // Forced from rest without a button: an event command's warp (the village's warp 2).
    phases = RunToEnd(false, "");
    EXPECT_EQ(phases, ".");
    t.forcedWarp = 2;
    RunToEnd(false);
    EXPECT_EQ(t.currentArea, 99);
    EXPECT_EQ(player.x, 56.0f);
    EXPECT_EQ(player.y, 360.0f);
}

TEST_F(AreaTransitionTest, SteeredCompanionRefusesEveryPressAndUsesUpAForcedWarp)
{
    EnterRoom();
    companion.mode = 1;
    for (int press = 0; press < 2; press++) {
        hud.bannerState = 0;
        hud.bannerText[0] = 0;
        EXPECT_EQ(Frame(true), '.');
        EXPECT_STREQ(hud.bannerText, "ｲﾄﾞｳﾌｶ");
        EXPECT_EQ(hud.bannerState, 2);
        hud.bannerState = 0;
        EXPECT_EQ(Frame(true), '.'); // still held: no second refusal
        EXPECT_EQ(hud.bannerState, 0);
        EXPECT_EQ(Frame(false), '.');
    }
    t.forcedWarp = 1;
    EXPECT_EQ(Frame(false), '.');
    EXPECT_EQ(t.forcedWarp, 0);
    EXPECT_EQ(hud.bannerState, 2);
    EXPECT_EQ(t.currentArea, 111);
}

TEST_F(AreaTransitionTest, OnlyWarpNumbersStartATransition)
{
    for (int link : {0, 1, 12, 13, 14, 15, 16, 40, 255}) {
        EnterRoom();
        SetCellAt(grid, 6, 10, Link(link));
        Frame(true);
        EXPECT_EQ(t.busy, link >= 1 && link <= 12) << "link " << link;
        RunToEnd(false);
        EXPECT_EQ(t.busy, 0);
        Frame(false);
    }
    // A player outside the grid stands on no warp.
    EnterRoom();
    player.x = -40;
    EXPECT_EQ(Frame(true), '.');
    player.x = 104;
    player.y = 1e9f;
    EXPECT_EQ(Frame(false), '.');
    EXPECT_EQ(Frame(true), '.');
}

TEST_F(AreaTransitionTest, UnfilledEntryLeadsToAreaZeroAtTheOrigin)
{
    EnterRoom();
    SetCellAt(grid, 6, 10, Link(5)); // the room has no warp 5
    PlatformTestTakeDebugOutput();
    const std::string phases = RunToEnd(false, std::string(1, Frame(true)));
    EXPECT_EQ(phases, Timeline(WipeFrames(2, 0), kTransitionHoldFrames, WipeFrames(TransitionArea(0)->wipePattern, 1)));
    EXPECT_EQ(t.currentArea, 0);
    EXPECT_EQ(player.x, 0.0f);
    EXPECT_EQ(player.y, 0.0f);
    // Area 0's map is missing here: the grid is empty and the loader names the file.
    EXPECT_EQ(grid.path, "MAP/umi/umi.bin");
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.failed, 1);
    EXPECT_NE(LogBytes().find("MAP/umi/umi.bin"), std::string::npos);
    EXPECT_EQ(change.newArea, 0);
    EXPECT_EQ(change.oldArea, 111);
}

TEST_F(AreaTransitionTest, LoadAreaEntersAtOnceAndAWarpTakesTheOtherTable)
{
    // Area 10's map: free cells, a solid floor, one water cell and one warp cell.
    WriteGrid(dir_ / "MAP/neo/w10.bin", 20, 15, {{{3, 3}, Link(15)}, {{4, 4}, Link(2)}, {{5, 5}, 0x600}});
    player.darkness = 1;
    player.icy = 0;
    enemies.areaFlag = 1;
    g_hour = 3;
    ASSERT_EQ(LoadArea(t, 10, 56, 72, 53), 0);
    EXPECT_EQ(screen.wave, 1);
    EXPECT_EQ(CellAt(grid, 0, 0), 0xF00u);           // free: now attribute 15
    EXPECT_EQ(CellAt(grid, 3, 3), Link(15) | 0xF00); // free with a link byte: the same
    EXPECT_EQ(CellAt(grid, 5, 5), 0x600u);           // attribute 6 stays
    EXPECT_EQ(CellAt(grid, 0, 14), kSolid);
    EXPECT_EQ(view.layer1Sheet, 10);
    EXPECT_EQ(player.enemySet, 6); // the load table's set
    EXPECT_EQ(player.x, 56.0f);
    EXPECT_EQ(player.y, 72.0f);
    EXPECT_EQ(t.currentArea, 10);
    EXPECT_EQ(change.pending, 1);
    EXPECT_EQ(change.newArea, 10);
    EXPECT_EQ(change.oldArea, 53);
    // No wipe, music, banner or hour; the flags the load table lacks stay.
    EXPECT_TRUE(TakeRecordedCalls().empty());
    EXPECT_EQ(GetSoundLists().currentTrack, 6);
    EXPECT_EQ(hud.bannerState, 0);
    EXPECT_EQ(t.localHour, 7);
    EXPECT_EQ(player.darkness, 1);
    EXPECT_EQ(enemies.areaFlag, 1);
    EXPECT_EQ(player.icy, 0);
    EXPECT_EQ(t.busy, 0);

    // Into area 10 by a warp (from area 112): the transition row has no wave.
    t.currentArea = 112;
    grid.cells.assign(grid.cells.size(), 0);
    SetCellAt(grid, 3, 4, Link(1));
    player.x = 56;
    player.y = 72;
    RunToEnd(false, std::string(1, Frame(true)));
    EXPECT_EQ(t.currentArea, 10);
    EXPECT_EQ(screen.wave, 0);
    EXPECT_EQ(player.icy, 0);
    EXPECT_EQ(player.enemySet, 28);
    EXPECT_EQ(CellAt(grid, 0, 0), 0u);

    // No row: -1 with a log line, nothing changed.
    for (int bad : {-1, kLoadAreaCount, 126}) {
        change.pending = 0;
        EXPECT_EQ(LoadArea(t, bad, 8, 8, 10), -1) << bad;
        EXPECT_EQ(change.pending, 0);
        EXPECT_EQ(t.currentArea, 10);
    }
    EXPECT_NE(LogBytes().find("LoadArea"), std::string::npos);
}

} // namespace
