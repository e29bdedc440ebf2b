// The event-script interpreter on real records: each command's effect and where it leaves the
// position, the waits and the restart, the talk step with RequestTalk, the button scripts and
// the weapon change, and broken scripts ending with their log line while play goes on.
#include "game/world/event_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/actors/actors.h"
#include "game/frame/control_bytes.h"
#include "game/frame/sound_lists.h"
#include "game/world/area_transition.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/gimmicks.h"
#include "game/world/map_grid.h"
#include "game/world/screen_effect.h"
#include "game/world/shop.h"
#include "game/world/storage_box.h"
#include "game/world/world_services.h"
#include "tests/game/world/button_press.h"
#include "tests/game/world/item_fixture.h"

namespace {

struct Made {
    float x, y;
    int kind;
};
std::vector<Made> g_made;
int g_refuseAfter = 1000; // the factory refuses once this many objects were made

// The records a script reaches, linked as the game links them.
struct World {
    ScriptContext ctx;
    EventContext events;
    ButtonScripts buttons;
    Gimmicks gimmicks;
    ControlBytes control;
    Player player;
    Companion companion;
    Enemies enemies;
    MapGrid grid;
    AreaTransition transition;
    Effects effects;
    ScreenEffect screen;
    FullScreenEffect full;
    FieldObjects objects;
    Shop shop;
    StorageBox storage;
    StatusWindow status;
    Inventory inv;
    Arms arms;
    Hud hud;

    World() {
        InitArms(arms);
        arms.weapon = arms.weaponCount = 0;
        inv.arms = &arms;
        inv.status = &status;
        inv.messageBox = &hud;
        InitStatusWindow(status);
        shop.inventory = storage.inventory = &inv;
        shop.messageBox = storage.messageBox = &hud;
        ctx.inventory = &inv;
        ctx.arms = &arms;
        ctx.status = &status;
        ctx.messageBox = &hud;
        ctx.gimmicks = &gimmicks;
        ctx.control = &control;
        ctx.player = &player;
        ctx.companion = &companion;
        ctx.enemies = &enemies;
        ctx.grid = &grid;
        ctx.transition = &transition;
        ctx.effects = &effects;
        ctx.screenEffect = &screen;
        ctx.fullScreen = &full;
        ctx.fieldObjects = &objects;
        ctx.talkActive = &events.talkActive;
        events.context = &ctx;
        events.status = &status;
        SetTalkScripts(events);
        buttons.context = &ctx;
        gimmicks.status = &status;
        gimmicks.script = &ctx;
        grid.width = 4;
        grid.height = 3;
        grid.cells.assign(12, 0);
    }
    // A gimmick whose exit runs (slot 0).
    void Gimmick() {
        gimmicks.CreateGimmick(32, 32, 0);
        gimmicks.exitNode = &gimmicks.nodes.back();
    }
};

struct Log : LogStartTest {
    void TestBody() override {}
    std::string Text() const { return LogBytes(); }
};

class EventScriptTest : public ItemRecordsTest {
protected:
    void SetUp() override {
        ItemRecordsTest::SetUp();
        log_.SetUp();
        savedWorld_ = WorldServices();
        g_made.clear();
        g_refuseAfter = 1000;
        WorldServices().createFieldObject = [](float x, float y, int kind, int, float, float, int, int, int, float) {
            if ((int)g_made.size() >= g_refuseAfter) return -1;
            g_made.push_back({x, y, kind});
            return (int)g_made.size();
        };
        w = std::make_unique<World>();
        w->hud.overlay = &overlay;
    }
    void TearDown() override {
        w.reset();
        WorldServices() = savedWorld_;
        log_.TearDown();
        ItemRecordsTest::TearDown();
    }
    // A fresh world for the next case of a table.
    void Renew() {
        w = std::make_unique<World>();
        w->hud.overlay = &overlay;
        g_made.clear();
        g_refuseAfter = 1000;
        TakeSounds();
        ReleaseButtons();
    }
    // One step of the commands as a script.
    int Step(const std::vector<ScriptCommand> &commands, const char *name = "test") {
        script_ = commands;
        script_.shrink_to_fit();
        s_ = Script{name, script_.data(), (int)script_.size()};
        return RunScriptStep(&s_, w->ctx);
    }
    // Frames of fn with SHOT and JUMP pressed every eighth frame (a press every frame would hold
    // a typed message on its last character), until fn answers 0: the frames taken.
    int UntilZero(const std::function<int()> &fn, int limit = 3000) {
        int frames = 0;
        for (int r = 1; r != 0 && frames < limit; frames++) {
            if (frames % 8 == 7) PressButtons({BUTTON_SHOT, BUTTON_JUMP});
            else ReleaseButtons();
            r = fn();
        }
        ReleaseButtons();
        return frames;
    }
    // One command placed at position 2 of ten no-ops, stepped once from there.
    int StepAt2(const ScriptCommand &cmd) {
        std::vector<ScriptCommand> commands(10, ScriptCommand{0x09});
        commands[2] = cmd;
        w->ctx.position = 2;
        return Step(commands);
    }

    Log log_;
    WorldServiceCalls savedWorld_;
    std::vector<ScriptCommand> script_;
    Script s_;
    std::unique_ptr<World> w;
};

constexpr int kNext = 3, kStay = 2;

struct Case {
    const char *what;
    ScriptCommand cmd;
    std::function<void(World &)> before;
    int position; // after the step; 0 with result 0 for an ending
    std::function<bool(World &)> effect;
};

TEST_F(EventScriptTest, EachCommandsEffectAndPosition) {
    const std::vector<Case> cases = {
        {"0x00 removes the exit's gimmick", {0x00}, nullptr, 0, [](auto &t) { return t.gimmicks.removeRequest == 1; }},
        {"0x02 strip B", {0x02}, [](auto &t) { t.screen.wave = 1; }, kNext,
         [](auto &t) { return t.screen.stripB == 1 && t.screen.wave == 0; }},
        {"0x03 wave", {0x03}, [](auto &t) { t.screen.stripB = 1; }, kNext,
         [](auto &t) { return t.screen.wave == 1 && t.screen.stripB == 0; }},
        {"0x05 all off", {0x05}, [](auto &t) { t.screen.wave = t.screen.stripA = 1; }, kNext,
         [](auto &t) { return t.screen.wave + t.screen.stripA + t.screen.stripB == 0; }},
        {"0x04 fewer counted: jump m", {0x04, 3, 2, nullptr, 4}, [](auto &t) { t.objects.kindCounts[3] = 1; }, 6, nullptr},
        {"0x06 freeze", {0x06}, nullptr, kNext, [](auto &t) { return t.control.playFreeze == 1; }},
        {"0x07 unfreeze", {0x07}, [](auto &t) { t.control.playFreeze = 1; }, kNext,
         [](auto &t) { return t.control.playFreeze == 0; }},
        {"0x10 sets a flag", {0x10, 9}, nullptr, kNext, [](auto &t) { return TestStoryFlag(9, t.status) == 1; }},
        {"0x10 flag 256 is not written", {0x10, 256}, nullptr, kNext,
         [](auto &t) { return t.status.storyFlags == decltype(t.status.storyFlags){}; }},
        {"0x11 clears a flag", {0x11, 9}, [](auto &t) { SetStoryFlag(9, t.status); }, kNext,
         [](auto &t) { return TestStoryFlag(9, t.status) == -1; }},
        {"0x12 set: jump b", {0x12, 9, 5}, [](auto &t) { SetStoryFlag(9, t.status); }, 7, nullptr},
        {"0x12 clear: next", {0x12, 9, 5}, nullptr, kNext, nullptr},
        {"0x12 flag -1 reads clear", {0x12, -1, 5}, nullptr, kNext, nullptr},
        {"0x13 clear: jump b", {0x13, 9, 5}, nullptr, 7, nullptr},
        {"0x14 added: jump m", {0x14, 11, 0, nullptr, 4}, nullptr, 6, [](auto &t) { return t.inv.ids[0] == 11; }},
        {"0x14 full: next", {0x14, 11, 0, nullptr, 4}, [](auto &t) { t.inv.ids.fill(76); }, kNext, nullptr},
        {"0x14 with a count stacks", {0x14, 3, 2, nullptr, 4}, [](auto &t) { t.inv.ids[0] = 3; }, 6,
         [](auto &t) { return t.inv.counts[0] == 2; }},
        {"0x14 item 300 refused", {0x14, 300, 0, nullptr, 4}, nullptr, kNext, [](auto &t) { return t.inv.ids[0] == 0; }},
        {"0x15 found: removed, jump b", {0x15, 76, 4}, [](auto &t) { t.inv.ids = {5, 76}; }, 6,
         [](auto &t) { return t.inv.ids[1] == 0; }},
        {"0x15 not found: next", {0x15, 76, 4}, nullptr, kNext, nullptr},
        {"0x16 notification", {0x16, 5}, nullptr, kNext,
         [](auto &t) { return std::string(t.hud.notifications[0].text) == GetItemKind(5)->name; }},
        {"0x16 item -1: none", {0x16, -1}, nullptr, kNext, [](auto &t) { return t.hud.notifications[0].free == 1; }},
        {"0x17 world off", {0x17}, nullptr, kNext, [](auto &t) { return t.control.worldDrawingOff == 1; }},
        {"0x18 world on", {0x18}, [](auto &t) { t.control.worldDrawingOff = 1; }, kNext,
         [](auto &t) { return t.control.worldDrawingOff == 0; }},
        {"0x19 waits for JUMP", {0x19, 0, 0, "テスト"}, nullptr, kStay, nullptr},
        {"0x19 JUMP: next", {0x19, 0, 0, "テスト"}, [](auto &) { PressButtons({BUTTON_JUMP}); }, kNext, nullptr},
        {"0x22 ends", {0x22}, nullptr, 0, nullptr},
        {"0x24 slot 0's cells", {0x24, 16, 48, nullptr, 0, 3, 7}, [](auto &t) { t.Gimmick(); }, kNext,
         [](auto &t) {
             const GimmickNode &n = *t.gimmicks.exitNode;
             return n.sheetX == 16 && n.sheetY == 48 && n.frameCount == 3 && n.frameInterval == 7 && n.frame == 0;
         }},
        {"0x24 empty slot 2 skipped", {0x24, 16, 48, nullptr, 2}, nullptr, kNext, nullptr},
        {"0x26 slot 0's motion", {0x26, 2, 0, nullptr, 0, 1.5f, -2}, [](auto &t) { t.Gimmick(); }, kNext,
         [](auto &t) { return t.gimmicks.exitNode->motion == 2 && t.gimmicks.exitNode->speedY == -2; }},
        {"0x29 player hidden", {0x29, 5}, nullptr, kNext, [](auto &t) { return t.control.playerHidden == 1; }},
        {"0x30 picture on", {0x30, 1}, nullptr, kNext, [](auto &t) { return t.effects.fullScreenPicture == 1; }},
        {"0x31 without a menu: NO", {0x31, 3, 5, "?"}, nullptr, 7, nullptr},
        {"0x33 HP and MP", {0x33, 2, -5}, [](auto &t) { t.status.hp = 2, t.status.hpMax = 10, t.status.mp = t.status.mpMax = 20; }, kNext, [](auto &t) { return t.status.hp == 4 && t.status.mp == 15; }},
        {"0x34 effect at the player", {0x34, 46, 0, nullptr, 2, 4, -2}, [](auto &t) { t.player.x = 100, t.player.y = 50; },
         kNext, [](auto &t) { return t.effects.nodes.size() == 1 && t.effects.nodes.front().x == 104; }},
        {"0x34 type 51: none", {0x34, 51, 0, nullptr, 1}, nullptr, kNext, [](auto &t) { return t.effects.nodes.empty(); }},
        {"0x34 empty slot: none", {0x34, 46, 0, nullptr, 3}, nullptr, kNext, [](auto &t) { return t.effects.nodes.empty(); }},
        {"0x36 HUD off", {0x36, 1}, nullptr, kNext, [](auto &t) { return t.control.hudOff == 1; }},
        {"0x37 sound", {0x37, 55}, nullptr, kNext, nullptr},
        {"0x37 sound 102: none", {0x37, 102}, nullptr, kNext, nullptr},
        {"0x38 starts the talk", {0x38}, [](auto &t) { t.gimmicks.exitRunning = 1; }, 0,
         [](auto &t) { return t.events.talkActive == 1 && t.gimmicks.exitRunning == 0; }},
        {"0x40 faces right: a", {0x40, 16, 32}, [](auto &t) { t.Gimmick(), t.player.facing = 1; }, kNext,
         [](auto &t) { return t.gimmicks.exitNode->sheetY == 16; }},
        {"0x43 writes a cell", {0x43, 3, 2, nullptr, 0x1234}, nullptr, kNext, [](auto &t) { return t.grid.cells[11] == 0x1234u; }},
        {"0x43 outside: nothing", {0x43, 4, 0, nullptr, 7}, nullptr, kNext,
         [](auto &t) { return t.grid.cells == std::vector<uint32_t>(12, 0); }},
        {"0x44 talk - 1, ends", {0x44}, [](auto &t) { t.status.requestedTalk = 3; }, 0,
         [](auto &t) { return t.status.requestedTalk == 2; }},
        {"0x45 pose", {0x45, 1, 9}, nullptr, kNext, [](auto &t) { return t.player.pose == 9; }},
        {"0x47 talk number", {0x47, 4}, nullptr, kNext, [](auto &t) { return t.status.requestedTalk == 4; }},
        {"0x48 effects freeze", {0x48}, nullptr, kNext, [](auto &t) { return t.control.effectsFreeze == 1; }},
        {"0x50 ending request, ends", {0x50}, nullptr, 0, [](auto &t) { return t.control.endingRequest == 1; }},
        {"0x51 clears every flag", {0x51}, [](auto &t) { SetStoryFlag(255, t.status); }, kNext,
         [](auto &t) { return TestStoryFlag(255, t.status) == -1; }},
        {"0x52 the warp's flag byte", {0x52, 0}, nullptr, kNext, [](auto &t) { return t.transition.warpFlag == 0; }},
        {"0x60 in an armour slot: jump", {0x60, 22, 4}, [](auto &t) { t.arms.armour2 = 20; }, 6, nullptr},
        {"0x60 carried: jump", {0x60, 7, 4}, [](auto &t) { t.inv.ids[3] = 5; }, 6, nullptr},
        {"0x60 nowhere: next", {0x60, 7, 4}, nullptr, kNext, nullptr},
        {"0x61 effect frame", {0x61}, nullptr, kNext, [](auto &t) { return t.full.frame == 99950; }},
        {"0x62 forced pose", {0x62, 30, 1, nullptr, 10}, nullptr, kNext,
         [](auto &t) { return t.player.poseOverrideOn == 30 && t.player.poseOverrideColumn == 1 && t.player.poseOverrideRow == 10; }},
        {"0x64 without a menu: cancelled", {0x64}, nullptr, kNext, [](auto &) { return g_made.empty(); }},
        {"0x66 plain: jump a", {0x66, 4, 6}, [](auto &t) { t.inv.ids = {122, 128}; }, 6, nullptr},
        {"0x66 a weapon worn: jump b", {0x66, 4, 6}, [](auto &t) { t.arms.weapon = 5; }, 8, nullptr},
        {"0x67 forced warp", {0x67, 2}, nullptr, kNext, [](auto &t) { return t.transition.forcedWarp == 2; }},
        {"0x70 paid: jump b", {0x70, 9, 4}, [](auto &t) { t.inv.money = 10; }, 6, [](auto &t) { return t.inv.money == 1; }},
        {"0x70 short: next", {0x70, 9, 4}, [](auto &t) { t.inv.money = 8; }, kNext, [](auto &t) { return t.inv.money == 8; }},
        {"0x75 costume: jump", {0x75, 2, 4}, [](auto &t) { t.player.costume = 2; }, 6, nullptr},
        {"0x76 jump", {0x76, 5}, nullptr, 7, nullptr},
        {"0x77 costume", {0x77, 3}, nullptr, kNext, [](auto &t) { return t.player.costume == 3; }},
        {"0x78 armour 1", {0x78, 20}, nullptr, kNext, [](auto &t) { return t.arms.armour1 == 20; }},
        {"0x78 item 300: none", {0x78, 300}, nullptr, kNext, [](auto &t) { return t.arms.armour1 == 0; }},
        {"0x79 without a menu: nothing", {0x79}, nullptr, kNext, [](auto &t) { return t.transition.currentArea == 0; }},
        {"0x80 picture 9: none", {0x80, 9}, nullptr, kNext, nullptr},
        {"0x08 the companion on its way: stay", {0x08, 200, 100}, nullptr, kStay, nullptr},
        {"0x08 the companion there: next", {0x08, 0, 0}, nullptr, kNext, nullptr},
        {"0x20 the shop open: stay", {0x20}, [](auto &t) { t.ctx.shop = &t.shop, t.shop.overlay = t.hud.overlay; }, kStay, nullptr},
        {"0x21 without a save record: next", {0x21}, nullptr, kNext, nullptr},
        {"0x23 without a menu: closed", {0x23}, nullptr, kNext, nullptr},
        {"0x28 a cover running: stay", {0x28, 0, 0}, nullptr, kStay, [](auto &t) { return t.effects.fullScreenPicture == 0; }},
        {"0x28 pattern 9: done, the picture on", {0x28, 9, 0}, nullptr, kNext,
         [](auto &t) { return t.effects.fullScreenPicture == 1; }},
        {"0x39 track 14: none", {0x39, 14}, nullptr, kNext, nullptr},
        {"0x46 counts the rectangle", {0x46, 0, 0, nullptr, 16}, [](auto &t) { t.objects.kindCounts.fill(3); }, kNext,
         [](auto &t) { return t.objects.kindCounts[3] == 0; }},
        {"0x49 effects run", {0x49}, [](auto &t) { t.control.effectsFreeze = 1; }, kNext,
         [](auto &t) { return t.control.effectsFreeze == 0; }},
        {"0x54 the box open: stay", {0x54}, [](auto &t) { t.ctx.storage = &t.storage, t.storage.overlay = t.hud.overlay; }, kStay, nullptr},
        {"0x57 enemies freed", {0x57}, nullptr, kNext, nullptr},
        {"0x58 without a menu: the code kept", {0x58, 0, 0, "?", 0}, nullptr, kNext,
         [](auto &t) { return std::string(t.ctx.code) == std::string(30, 'A'); }},
        {"0x59 without a menu: next", {0x59, 3, 0, "ABC"}, nullptr, kNext, nullptr},
        {"0x63 without a save record: next", {0x63}, nullptr, kNext, nullptr},
        {"0x65 the count shown: stay", {0x65, 4, 3}, nullptr, kStay, nullptr},
        {"0x65 dismissed: next", {0x65, 4, 3}, [](auto &) { PressButtons({BUTTON_SHOT}); }, kNext, nullptr},
        {"0x69 without a save record: next", {0x69}, nullptr, kNext, nullptr},
        {"0x71 positions read back", {0x71}, nullptr, kNext, nullptr},
        {"0x72 release", {0x72}, nullptr, kNext, [](auto &t) { return t.objects.release == 1; }},
        {"0x74 removal in a rectangle", {0x74, 0, 0, nullptr, 16, 3, 2}, nullptr, kNext, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Renew();
        if (c.before) c.before(*w);
        const int r = StepAt2(c.cmd);
        EXPECT_EQ(w->ctx.position, c.position);
        EXPECT_EQ(r, c.position == 0 && c.cmd.code != 0x38 ? 0 : 1); // 0x38 hands over to the talk
        EXPECT_EQ(w->ctx.ranThisFrame, 1);
        if (c.effect) {
            EXPECT_TRUE(c.effect(*w));
        }
    }
}

TEST_F(EventScriptTest, WaitsCountCallsAndAFrameWithoutAStepRestarts) {
    for (int frames : {0, 30}) {
        SCOPED_TRACE(frames);
        Renew();
        const std::vector<ScriptCommand> wait = {{0x35, frames}, {0x22}};
        int calls = 1;
        while (Step(wait) == 1 && w->ctx.position == 0) calls++;
        EXPECT_EQ(calls, frames + 1);
        EXPECT_EQ(w->ctx.position, 1);
        EXPECT_EQ(w->ctx.waitCounter, 0);
    }
    // A frame with a step keeps the place; the frame after one without goes back to the start.
    Renew();
    const std::vector<ScriptCommand> two = {{0x09}, {0x09}, {0x22}};
    Step(two);
    EndScriptFrame(w->ctx);
    EXPECT_EQ(w->ctx.position, 1);
    EndScriptFrame(w->ctx);
    EXPECT_EQ(w->ctx.position, 0);
}

TEST_F(EventScriptTest, ScriptGimmicksStopAtThreeAndAnAreaLoadClearsThem) {
    const std::vector<ScriptCommand> make = {{0x27, 2, 3, nullptr, 5}, {0x27, 2, 3, nullptr, 5}, {0x27, 2, 3, nullptr, 5},
                                             {0x27, 2, 3, nullptr, 5}, {0x26, 7, 0, nullptr, 3},
                                             {0x25, 0, 0, nullptr, 500}, {0x22}};
    for (int i = 0; i < 4; i++) Step(make);
    EXPECT_EQ(w->gimmicks.nodes.size(), 3u);
    EXPECT_EQ(w->ctx.scriptGimmickCount, 3);
    EXPECT_EQ(w->gimmicks.nodes.front().x - w->gimmicks.nodes.front().halfWidth, 32.0f);
    Step(make); // slot 3 is the third made
    EXPECT_EQ(w->gimmicks.nodes.back().motion, 7);
    Step(make); // area 500 is refused, the count cleared all the same
    EXPECT_EQ(w->ctx.scriptGimmickCount, 0);
    EXPECT_EQ(w->gimmicks.scriptNodes[0], nullptr);
    EXPECT_EQ(w->ctx.position, 6);
    // A kind outside the table makes nothing.
    Renew();
    Step({{0x27, 2, 3, nullptr, 177}, {0x22}});
    EXPECT_TRUE(w->gimmicks.nodes.empty());
}

TEST_F(EventScriptTest, ObjectsMadeAndDroppedStopAtTheFirstRefusal) {
    w->player.x = 100;
    w->player.y = 60;
    w->inv.ids = {76, 3};
    w->inv.counts = {0, 2};
    w->arms.weapon = 6;
    w->arms.weaponCount = 1;
    w->arms.armour1 = 20;
    Step({{0x68}, {0x22}});
    std::vector<int> kinds;
    for (const Made &m : g_made) kinds.push_back(m.kind);
    EXPECT_EQ(kinds, (std::vector<int>{76, 3, 3, 3, 6, 6, 20}));
    EXPECT_EQ(g_made[0].y, 50.0f);
    EXPECT_EQ(w->inv.ids, Slots{});
    EXPECT_EQ(w->inv.counts, Slots{});
    EXPECT_EQ(w->arms.weapon + w->arms.weaponCount + w->arms.armour1 + w->arms.armour2, 0);
    // Three of row 5 at (40, 80); the factory refusing the second makes one.
    for (int refuse : {1000, 1}) {
        Renew();
        g_refuseAfter = refuse;
        Step({{0x42, 40, 80, nullptr, 5, 3.9f}, {0x22}});
        EXPECT_EQ(g_made.size(), refuse == 1 ? 1u : 3u);
        EXPECT_EQ(g_made[0].kind, 3);
        EXPECT_EQ(w->ctx.position, 1);
    }
}

TEST_F(EventScriptTest, StoredCountJumpsByTheTruncatedX) {
    // Nothing is stored in block 4: a count of 0.
    for (int m : {0, 1}) {
        Renew();
        const int r = StepAt2({0x73, 4, 3, nullptr, m, 2.9f});
        EXPECT_EQ(r, 1);
        EXPECT_EQ(w->ctx.position, m > 0 ? 3 : 4) << m;
    }
}

TEST_F(EventScriptTest, TalksRunByNumberAndSpecialTalksReportOnce) {
    // Talk 2 (the old man's reminder): freeze, a typed message, unfreeze.
    w->status.requestedTalk = 2;
    w->events.talkActive = 1;
    EXPECT_EQ(RunTalkStep(w->events), 0);
    EXPECT_EQ(w->control.playFreeze, 1);
    EXPECT_LT(UntilZero([&] { return 1 - RunTalkStep(w->events); }), 3000);
    EXPECT_EQ(w->events.talkActive, 0);
    EXPECT_EQ(w->control.playFreeze, 0);
    EXPECT_EQ(w->events.finishedResult, 0);
    // A number without a talk ends at once.
    for (int talk : {5, 24, -1, 670}) {
        w->status.requestedTalk = talk;
        w->events.talkActive = 1;
        EXPECT_EQ(RunTalkStep(w->events), 1) << talk;
    }
    // 666: requested every frame; its result comes back once, then a new request starts it again.
    int result = 0;
    UntilZero([&] {
        result = RequestTalk(w->events, 666);
        RunTalkStep(w->events);
        return 1 - result;
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(w->events.finishedResult, 0);
    EXPECT_EQ(RequestTalk(w->events, 666), 0);
    EXPECT_EQ(w->events.talkActive, 1);
    EXPECT_EQ(w->status.requestedTalk, 666);

    // Talk 4 names the ending (0x47) and starts over (0x38) into it: the number is read at the start.
    Renew();
    w->status.requestedTalk = 4;
    w->events.talkActive = 1;
    UntilZero([&] {
        RunTalkStep(w->events);
        return w->events.currentTalk == 4 ? 1 : 0;
    });
    EXPECT_EQ(w->events.currentTalk, 669);
    EXPECT_EQ(TestStoryFlag(59, w->status), 1);
    EXPECT_EQ(w->ctx.position, 1);
}

TEST_F(EventScriptTest, TheWoodsWispLeavesArrowsAndBombsOnlyWhenAllFit) {
    // The carried slots before the touch: filled with the HP drug (one a slot), and whether a
    // stack of remote bombs is among them.
    struct Case {
        int filled;
        bool bombs;
        bool given;
    } cases[] = {{0, false, true}, {4, false, true}, {5, true, true}, {5, false, false},
                 {6, false, false}, {8, false, false}};
    const Script *wisp = MapExitScript(68);
    ASSERT_NE(wisp, nullptr);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.filled << " filled, bombs " << c.bombs);
        Renew();
        Inventory &inv = w->inv;
        for (int i = 0; i < c.filled; i++) inv.ids[(size_t)i] = 11;
        if (c.bombs) inv.ids[(size_t)c.filled - 1] = 51;
        const Inventory before = inv;
        w->Gimmick();
        w->ctx.position = 0;
        EXPECT_LT(UntilZero([&] { return RunScriptStep(wisp, w->ctx); }), 3000);
        EXPECT_EQ(TestStoryFlag(20, w->status) == 1, c.given); // the wisp goes
        EXPECT_EQ(w->gimmicks.removeRequest, c.given ? 1 : 0);
        EXPECT_EQ(w->control.playFreeze, 0);
        if (!c.given) {
            EXPECT_EQ(inv.ids, before.ids);
            EXPECT_EQ(inv.counts, before.counts);
            continue;
        }
        EXPECT_EQ(std::count(inv.ids.begin(), inv.ids.end(), 144), 3);
        const int bombs = FindCarriedItem(51, inv);
        ASSERT_GE(bombs, 0);
        EXPECT_EQ(inv.counts[(size_t)bombs], c.bombs ? 2 + before.counts[(size_t)bombs] : 2); // three more
        EXPECT_EQ(std::count(inv.ids.begin(), inv.ids.end(), 11), c.filled - (c.bombs ? 1 : 0));
    }
}

TEST_F(EventScriptTest, TheWonBossFightOpensTheLightHome) {
    World &g = *w;
    g.enemies.player = &g.player;
    g.enemies.status = &g.status;
    g.player.enemySet = 2; // the boss room
    const Script *home = MapExitScript(17);
    ASSERT_NE(home, nullptr);
    auto runHome = [&] {
        g.ctx.position = 0;
        g.events.talkActive = 0;
        // Until it ends or hands over to its talk (both leave the position at 0).
        for (int i = 0; i < 10; i++) {
            RunScriptStep(home, g.ctx);
            if (g.ctx.position == 0) break;
        }
    };
    // Fight on: nothing set, the exit ends without a talk.
    SettleBossFight(g.enemies);
    runHome();
    EXPECT_EQ(g.events.talkActive, 0);
    // The boss's death marked the fight won: flag 50 set, and the exit starts talk 4.
    g.enemies.bossFightWon = 1;
    SettleBossFight(g.enemies);
    EXPECT_NE(g.status.storyFlags[50 / 8] & (1 << (50 % 8)), 0);
    runHome();
    EXPECT_EQ(g.events.talkActive, 1);
    EXPECT_EQ(g.status.requestedTalk, 4);
    // A set without a gate (the field) sets no flag.
    g.status.storyFlags.fill(0);
    g.player.enemySet = 4;
    SettleBossFight(g.enemies);
    EXPECT_EQ(std::count(g.status.storyFlags.begin(), g.status.storyFlags.end(), 0), (long)g.status.storyFlags.size());
}

TEST_F(EventScriptTest, ButtonScripts) {
    // RESET (a key only: its pad is -1) held one frame: the ending request, and its script is
    // over in the same frame.
    GameInput &in = GetGameInput();
    in.keyAssign[BUTTON_RESET] = 19;
    in.keyCounters[19] = 1;
    EXPECT_EQ(RunResetButtonScript(w->buttons), 0);
    EXPECT_EQ(w->control.endingRequest, 1);
    EXPECT_EQ(w->buttons.resetRunning, 0);
    // A bad assignment reads -1: not held.
    Renew();
    in.padAssign[BUTTON_RESET] = 16;
    EXPECT_EQ(RunResetButtonScript(w->buttons), -1);
    EXPECT_EQ(w->control.endingRequest, 0);
    SetDefaultKeyBindings();

    // CHANGE: the sound, the weapon change, the end, over three frames from one press.
    Renew();
    w->arms.weapon = 5;
    w->inv.ids = {76, 6};
    PressButtons({BUTTON_CHANGE});
    EXPECT_EQ(RunChangeButtonScript(w->buttons), 1);
    EXPECT_EQ(TakeSounds(), std::vector<int>{55});
    ReleaseButtons();
    EXPECT_EQ(RunChangeButtonScript(w->buttons), 1);
    EXPECT_EQ(w->arms.weapon, 6);
    EXPECT_EQ(w->inv.ids, (Slots{76, 5}));
    EXPECT_EQ(w->arms.iconSlide, 10);
    EXPECT_EQ(RunChangeButtonScript(w->buttons), 0);
    EXPECT_EQ(w->buttons.changeRunning, 0);
    // Not pressed and not running: the button's count.
    EXPECT_EQ(RunChangeButtonScript(w->buttons), 0);

    // STATUS: freeze, the menu (none yet: closed at once), unfreeze.
    Renew();
    PressButtons({BUTTON_STATUS});
    RunStatusButtonScript(w->buttons);
    EXPECT_EQ(w->control.playFreeze, 1);
    ReleaseButtons();
    EXPECT_EQ(UntilZero([&] { return RunStatusButtonScript(w->buttons); }), 5); // six frames in all
    EXPECT_EQ(w->control.playFreeze + w->control.effectsFreeze + w->buttons.statusRunning, 0);
}

TEST_F(EventScriptTest, WeaponChangeKeepsCountsBothWays) {
    // A counted weapon (3, MK2) with 2 more comes to hand; the knife goes back to the slots.
    w->arms.weapon = 5;
    w->inv.ids = {3};
    w->inv.counts = {2};
    w->companion.mode = 1;
    ChangeWeapon(w->ctx);
    EXPECT_EQ(w->companion.mode, 0);
    EXPECT_EQ(w->arms.weapon, 3);
    EXPECT_EQ(w->arms.weaponCount, 2);
    EXPECT_EQ(w->inv.ids, Slots{5});
    // And back: the grenades return as one slot with their count.
    ChangeWeapon(w->ctx);
    EXPECT_EQ(w->arms.weapon, 5);
    EXPECT_EQ(w->inv.ids, Slots{3});
    EXPECT_EQ(w->inv.counts, Slots{2});
    // No weapon carried: only the icon's slide.
    w->inv.ids = {76};
    w->arms.iconSlide = 0;
    ChangeWeapon(w->ctx);
    EXPECT_EQ(w->arms.weapon, 5);
    EXPECT_EQ(w->arms.iconSlide, 10);
}

TEST_F(EventScriptTest, BrokenScriptsEndWithTheirLineAndPlayGoesOn) {
    struct Broken {
        const char *what;
        std::vector<ScriptCommand> commands;
        int steps; // the step that ends it
        const char *line;
    };
    const std::vector<Broken> cases = {
        {"unknown code", {{0x06}, {0x0A}, {0x22}}, 2, "イベントスクリプト broken の位置 1 で不明な命令です"},
        {"jump past the end", {{0x06}, {0x76, 5}, {0x22}}, 2, "イベントスクリプト broken の位置 1 でスクリプトの外に出ました"},
        {"jump before the start", {{0x06}, {0x13, 3, -2}, {0x22}}, 2, "の位置 1 でスクリプトの外に出ました"},
        {"no ending", {{0x06}, {0x17}, {0x36, 1}, {0x29, 1}}, 4, "の位置 3 でスクリプトの外に出ました"},
        {"lone lead byte", {{0x06}, {0x01, 0, 0, "\x82"}, {0x09}}, 3, "の位置 2 でスクリプトの外に出ました"},
        {"odd text", {{0x06}, {0x01, 0, 0, "\x82\xa0\x41"}, {0x09}}, 3, "の位置 2 でスクリプトの外に出ました"},
        {"null text", {{0x06}, {0x01}, {0x19}, {0x09}}, 4, "の位置 3 でスクリプトの外に出ました"},
    };
    for (const Broken &c : cases) {
        SCOPED_TRACE(c.what);
        Renew();
        const int steps = UntilZero([&] {
            const int r = Step(c.commands, "broken");
            EndScriptFrame(w->ctx);
            return r;
        });
        EXPECT_LE(steps, c.steps + 40);
        EXPECT_EQ(w->ctx.position, 0);
        EXPECT_EQ(w->control.playFreeze + w->control.worldDrawingOff + w->control.hudOff + w->control.playerHidden, 0);
        EXPECT_NE(log_.Text().find(c.line), std::string::npos);
    }
    // A missing script ends too.
    EXPECT_EQ(RunScriptStep(nullptr, w->ctx), 0);
}

} // namespace
