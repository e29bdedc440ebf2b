// The actors' test fixture: a fake world in the seam, a recording renderer, a scripted random
// source that must be drawn exactly as scripted (empty unless a test adds values), and the hero's
// records wired to each other as CurGame wires them.
#pragma once

#include <gtest/gtest.h>

#include "game/actors/actors.h"
#include "tests/game/actors/fake_world.h"
#include "tests/game/actors/recording_renderer.h"
#include "tests/game/actors/scripted_rand.h"

class ActorTest : public ::testing::Test {
protected:
    ActorTest() {
        LinkHeroRecords(player, companion, arms);
        InitPlayer(player);
        InitArms(arms);
    }
    ~ActorTest() override { FreeShotList(arms); }

    // An item row in the fake world's table.
    ItemKind &Item(int id, int kind, int use = 0, int power = 0, int handClass = 0) {
        ItemKind &row = world.Item(id);
        row.kind = kind;
        row.use = use;
        row.power = power;
        row.handClass = handClass;
        return row;
    }

    FakeWorld world;
    RecordingRenderer renderer;
    ScriptedRand rand;
    Player player;
    Companion companion;
    Arms arms;
};
