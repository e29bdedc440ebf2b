// Going between areas. The transition record knows the area the player is in and the local hour
// of the last area change (the backdrop reads both). DOWN pressed on a warp cell (link byte
// 1..12), or a warp an event command forces, runs the transition frame by frame: the old area's
// wipe covers the screen, one frame loads the new area's grid and settings, the cover holds for
// 55 frames, the new area's wipe uncovers it and 10 more frames settle before input returns.
// LoadArea enters an area by number at once, without wipe, music or banner (new game, loaded
// game, event command).
#pragma once

#include <cstdint>

struct MapGrid;
struct TileView;
struct MapChange;
struct Wipe;
class Hud;
struct Player;
struct Enemies;
struct Companion;
struct FullScreenEffect;
struct ScreenEffect;
struct ControlBytes;

// The states of a running transition.
enum TransitionState { TRANSITION_COVER = 0, TRANSITION_LOAD = 1, TRANSITION_HOLD = 2, TRANSITION_SETTLE = 3 };

constexpr int kTransitionHoldFrames = 55;
constexpr int kTransitionSettleFrames = 10;

struct AreaTransition {
    // Sibling records, set once by the game object.
    MapGrid *grid = nullptr;
    TileView *tileView = nullptr;    // the two tile sheets
    MapChange *mapChange = nullptr;  // posted for the field rebuild
    Wipe *wipe = nullptr;
    Hud *hud = nullptr;              // the area-name banner
    Player *player = nullptr;        // position, hold, enemy set, darkness, slide
    Enemies *enemies = nullptr;      // the area flag
    Companion *companion = nullptr;  // its mode refuses warps
    FullScreenEffect *fullScreen = nullptr; // a running fade ends at the load
    ScreenEffect *screenEffect = nullptr;   // the wave byte
    ControlBytes *control = nullptr; // HUD off and the attack pause while a transition runs

    int stepCounter = 0;  // frames of the hold and the settle
    int forcedWarp = 0;   // warp number an event command asks for; 0 none
    int currentArea = 0;
    int state = TRANSITION_COVER;
    uint8_t busy = 0;     // 1 while a transition runs
    int warpIndex = 0;    // warp number - 1 of the running transition
    uint8_t warpFlag = 1; // set by an event command; nothing reads it yet
    int localHour = 0;    // 0..23, taken at the last area change
};

// Area 0, nothing running, localHour from the clock.
void InitAreaTransition(AreaTransition &transition);
// localHour = the hour of the local time now.
void StoreLocalHour(AreaTransition &transition);

// One frame: the trigger, then the running transition's state.
void RunAreaTransition(AreaTransition &transition);
// Enters an area of the load table at (x, y) at once and posts the field rebuild, which stores
// the objects of oldArea (kNoArea, a new or loaded game: none) and restores the new area's. -1 with a log line, and
// nothing changed, for an area outside the load table.
int LoadArea(AreaTransition &transition, int area, int x, int y, int oldArea);

// Where the local hour comes from: the C runtime's local time unless a test puts a source of its
// own in place (null restores the clock). Answers outside 0..23 are wrapped into it.
using LocalHourSource = int (*)();
void SetLocalHourSource(LocalHourSource source);
int CurrentLocalHour();
