// The actors' test fixture: a fake world in the seam, the draw recorder in place of the game's
// drawing calls, a scripted random source that must be drawn exactly as scripted (empty unless a
// test adds values), and the hero's records wired to each other as CurGame wires them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "tools/actor-trace/ascii_map.h"
#include "tools/actor-trace/hero_frame.h"
#include "tests/game/actors/fake_world.h"
#include "tests/game/actors/scripted_rand.h"
#include "tests/game/draw_recorder.h"

class ActorTest : public DrawRecorderTest {
protected:
    ActorTest() {
        LinkHeroRecords(player, companion, arms);
        InitPlayer(player);
        InitArms(arms);
    }
    ~ActorTest() override { FreeShotList(arms); }

    // The map the hero's records read, drawn as text (tools/actor-trace).
    void Map(const std::vector<std::string> &rows) {
        std::string error;
        ASSERT_TRUE(BuildAsciiMap(rows, grid, &error)) << error;
        player.grid = &grid;
        companion.grid = &grid;
        arms.grid = &grid;
    }

    // One play frame of the hero's steps, after the buttons' counts move on.
    void Frame() {
        world.NextFrame();
        RunHeroFrame(player, companion);
    }
    void Frames(int n) {
        for (int i = 0; i < n; i++) Frame();
    }

    // An item row in the fake world's table.
    ItemKind &Item(int id, int kind, int use = 0, int power = 0, int handClass = 0) {
        ItemKind &row = world.Item(id);
        row.kind = kind;
        row.use = use;
        row.power = power;
        row.handClass = handClass;
        return row;
    }

    MapGrid grid;
    FakeWorld world;
    ScriptedRand rand;
    Player player;
    Companion companion;
    Arms arms;
};
