#include "game/world/area_transition.h"

#include <ctime>

#include "game/actors/actors.h"
#include "game/frame/control_bytes.h"
#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/world/area_table.h"
#include "game/world/full_screen_effect.h"
#include "game/world/map_grid.h"
#include "game/world/screen_effect.h"
#include "game/world/tile_view.h"
#include "game/world/warp_table.h"
#include "game/world/wipe.h"
#include "library/base/log.h"

namespace {
int ClockHour()
{
    const std::time_t now = std::time(nullptr);
    const std::tm *local = std::localtime(&now);
    return local ? local->tm_hour : 0;
}

LocalHourSource g_hourSource = ClockHour;

// The warp refusal's banner while the companion is steered.
constexpr const char *kCannotMove = "ｲﾄﾞｳﾌｶ";
// A full-screen effect kind outside its kinds: the effect ends at its next drawing step.
constexpr int kEndedEffect = 666;
constexpr uint32_t kWaveAttribute = 0xF00;

void SetControls(AreaTransition &t, uint8_t on)
{
    if (!t.control) return;
    t.control->hudOff = on;
    t.control->attackPause = on;
}

void LoadGridFile(AreaTransition &t, const AreaRecord &row)
{
    if (!t.grid) return;
    SetMapGridPath(*t.grid, row.path);
    LoadMapGrid(*t.grid);
}

void SetSheets(AreaTransition &t, const AreaRecord &row)
{
    if (!t.tileView) return;
    t.tileView->layer1Sheet = row.tileSheet1;
    t.tileView->layer2Sheet = row.tileSheet2;
}

void PostMapChange(AreaTransition &t, int oldArea, int newArea)
{
    if (!t.mapChange) return;
    t.mapChange->pending = 1;
    t.mapChange->oldArea = oldArea;
    t.mapChange->newArea = newArea;
}

int WipePattern(int area)
{
    const AreaRecord *row = TransitionArea(area);
    return row ? row->wipePattern : 0;
}

// The covering frames: the player held still and input locked.
void Cover(AreaTransition &t)
{
    if (t.player) {
        t.player->movementLock = 1;
        t.player->vx = t.player->vy = 0;
    }
    GetGameInput().inputLock = 1;
    if (t.wipe && RunWipe(*t.wipe, WipePattern(t.currentArea), 0) == 1) t.state = TRANSITION_LOAD;
}

void Load(AreaTransition &t)
{
    if (t.fullScreen) t.fullScreen->mode = kEndedEffect;
    const WarpEntry &e = GetWarp(t.currentArea, t.warpIndex);
    // The table leads only to areas it has rows for; a stray entry reads as area 0.
    const AreaRecord *found = TransitionArea(e.area);
    const int area = found ? e.area : 0;
    const AreaRecord &r = found ? *found : *TransitionArea(0);
    LoadGridFile(t, r);
    SetSheets(t, r);
    if (t.player) {
        t.player->enemySet = r.enemySet;
        t.player->x = (float)e.x;
        t.player->y = (float)e.y;
        t.player->darkness = r.darkArea;
        t.player->icy = r.waveArea ? 1 : 0;
    }
    if (t.enemies) t.enemies->areaFlag = r.enemyFlag;
    StoreLocalHour(t);
    t.state = TRANSITION_HOLD;
    PostMapChange(t, t.currentArea, area);
    t.currentArea = area;
    if (t.screenEffect) t.screenEffect->wave = r.waveArea ? 1 : 0;
    SwitchMusicTrack(r.musicTrack);
    if (t.wipe) CoverScreen(*t.wipe);
    if (t.hud) ShowAreaName(*t.hud, r.name);
}

void Hold(AreaTransition &t)
{
    if (t.stepCounter++ < kTransitionHoldFrames) {
        if (t.wipe) CoverScreen(*t.wipe);
        return;
    }
    if (t.wipe && RunWipe(*t.wipe, WipePattern(t.currentArea), 1) == 1) {
        t.state = TRANSITION_SETTLE;
        t.stepCounter = 0;
    }
}

void Settle(AreaTransition &t)
{
    if (t.stepCounter++ < kTransitionSettleFrames) return;
    t.stepCounter = 0;
    t.state = TRANSITION_COVER;
    t.busy = 0;
    SetControls(t, 0);
    GetGameInput().inputLock = 0;
    if (t.player) t.player->movementLock = 0;
}
} // namespace

void SetLocalHourSource(LocalHourSource source) { g_hourSource = source ? source : ClockHour; }

int CurrentLocalHour()
{
    const int h = g_hourSource() % 24;
    return h < 0 ? h + 24 : h;
}

void InitAreaTransition(AreaTransition &transition)
{
    transition.currentArea = 0;
    transition.state = TRANSITION_COVER;
    transition.busy = 0;
    transition.warpIndex = 0;
    transition.forcedWarp = 0;
    transition.localHour = CurrentLocalHour();
}

void StoreLocalHour(AreaTransition &transition) { transition.localHour = CurrentLocalHour(); }

void RunAreaTransition(AreaTransition &t)
{
    static const MapGrid kEmpty;
    const float px = t.player ? t.player->x : 0.0f, py = t.player ? t.player->y : 0.0f;
    const uint32_t cell = CellAtPoint(t.grid ? *t.grid : kEmpty, px, py);

    if ((t.busy == 0 && GetGameInput().Button(BUTTON_DOWN) == 1) || t.forcedWarp != 0) {
        int number = CellLink(cell);
        if (t.forcedWarp != 0) {
            number = t.forcedWarp;
            t.forcedWarp = 0;
        }
        // 13..15 are water, 16 and above gimmicks; an area without a row has no warps to take.
        if (number >= 1 && number <= kLastWarpNumber && TransitionArea(t.currentArea)) {
            if (t.companion && t.companion->mode != 0) {
                if (t.hud) ShowAreaName(*t.hud, kCannotMove);
            } else {
                // A warp forced while one runs takes its place and restarts the count; the state
                // goes on.
                t.warpIndex = number - 1;
                t.busy = 1;
                t.stepCounter = 0;
                SetControls(t, 1);
            }
        }
    }

    if (t.busy != 1) return;
    switch (t.state) {
    case TRANSITION_COVER: Cover(t); break;
    case TRANSITION_LOAD: Load(t); break;
    case TRANSITION_HOLD: Hold(t); break;
    case TRANSITION_SETTLE: Settle(t); break;
    default: t.state = TRANSITION_COVER; break;
    }
}

int LoadArea(AreaTransition &t, int area, int x, int y, int oldArea)
{
    const AreaRecord *row = LoadAreaRow(area);
    if (!row) return WriteLogFmt("エリア %d はありません in LoadArea", area);
    LoadGridFile(t, *row);
    SetSheets(t, *row);
    if (t.player) {
        t.player->enemySet = row->enemySet;
        t.player->x = (float)x;
        t.player->y = (float)y;
    }
    t.currentArea = area;
    if (row->waveArea) {
        if (t.screenEffect) t.screenEffect->wave = 1;
        // Every free cell of a wave area is water.
        if (t.grid)
            for (uint32_t &c : t.grid->cells)
                if (CellAttribute(c) == 0) c |= kWaveAttribute;
    } else if (t.screenEffect) {
        t.screenEffect->wave = 0;
    }
    PostMapChange(t, oldArea, area);
    return 0;
}
