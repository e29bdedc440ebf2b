// A fresh working folder for the game's files, and the input record reset between tests.
#pragma once

#include "fixtures/start_dir.h"
#include "game/frame/game_input.h"

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
