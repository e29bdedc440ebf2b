// A fresh working folder for the game's files, and the input record reset between tests; and the
// same with the game's draws recorded.
#pragma once

#include "fixtures/start_dir.h"
#include "game/frame/game_input.h"
#include "game/frame/key_bindings.h"
#include "game/world/area_transition.h"
#include "tests/game/draw_recorder.h"

class GameFolderTest : public TempDirTest {
public:
    void SetUp() override {
        TempDirTest::SetUp();
        GetGameInput() = GameInput{};
    }
    void TearDown() override {
        GetGameInput() = GameInput{};
        TempDirTest::TearDown();
    }
};

// The game's draws recorded, the clock at noon and the default key bindings in place.
class RecordedGameTest : public GameFolderTest {
public:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = InstallDrawRecorder();
        SetLocalHourSource(Noon);
        SetDefaultKeyBindings();
    }
    void TearDown() override {
        SetLocalHourSource(nullptr);
        RemoveDrawRecorder(saved_);
        GameFolderTest::TearDown();
    }

private:
    static int Noon() { return 12; }
    GameGraphicsCalls saved_;
};
