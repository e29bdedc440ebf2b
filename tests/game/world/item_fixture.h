// The records the item screens and the inventory's tests share: an inventory with its arms
// (nothing in hand), the HUD and the overlay the screens queue their texts on, the default key
// bindings and the drawing recorder.
#pragma once

#include <array>
#include <string>

#include "game/actors/arms.h"
#include "game/frame/hud.h"
#include "game/frame/key_bindings.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/world/inventory.h"
#include "tests/game/draw_recorder.h"

using Slots = std::array<int32_t, kCarriedSlots>;

class ItemRecordsTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        GetGameInput() = GameInput{};
        SetDefaultKeyBindings();
        InitArms(arms);
        arms.weapon = 0;
        arms.weaponCount = 0;
        inv.arms = &arms;
        inv.status = &status;
        inv.messageBox = &hud;
        hud.overlay = &overlay;
    }
    void TearDown() override {
        GetGameInput() = GameInput{};
        DrawRecorderTest::TearDown();
    }
    // The text (or number) queued at (x, y), or "(none)".
    std::string TextAt(int x, int y) const {
        for (const OverlayEntry &e : overlay.Entries())
            if (e.x == x && e.y == y) return e.kind == 3 ? std::to_string(e.number) : e.text;
        return "(none)";
    }

    Inventory inv;
    Arms arms;
    StatusWindow status;
    Hud hud;
    TextOverlay overlay;
};
