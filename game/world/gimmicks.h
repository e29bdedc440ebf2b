// Map gimmicks: scripted sprites that a map places on its cells (link byte 16 and above holds
// kind byte - 15) or that an event command places. Each is cut from the gimmick sheet, may
// animate, may fall onto solid and sloped tiles, and carries an exit script that runs while the
// player holds DOWN inside it (or merely touches it, for touch gimmicks). Story flags decide at
// creation whether a gimmick is its own kind or the see-through kind 0.
#pragma once

#include <array>
#include <cstdint>
#include <list>

#include "game/world/gimmick_kinds.h"

struct MapGrid;
struct Companion;
struct Player;
struct StatusWindow;
// The event scripts' records (the event-script module's).
struct Script;
struct ScriptContext;

constexpr int kExitScriptCount = 73;

struct GimmickNode {
    float x = 0, y = 0;             // centre, world pixels
    float screenX = 0, screenY = 0; // -32 when off screen
    int halfWidth = 0, halfHeight = 0;
    int scriptNumber = 0;
    float sheetX = 0, sheetY = 0;
    int frameCount = 0, frameInterval = 0;
    int frame = 0;
    float speedX = 0, speedY = 0;
    int motion = 0;
    int hideFlag = 0, showFlag = 0;
    uint8_t touch = 0;
};

// One step of an exit script on the script record: 0 when the script ended, else non-zero.
using ExitScriptStep = int (*)(const Script *script, ScriptContext *context);

class Gimmicks {
public:
    // The exit scripts by number.
    void InitGimmicks();
    // "DataForWork\\npc.bmp".
    void LoadGimmickSheet();

    // (x, y) is the tile's top-left pixel. A kind outside 0..176, or one its flags hide, is made
    // as kind 0 at the same place.
    void CreateGimmick(int x, int y, int kind);
    void FreeGimmickList();
    // Animation and motion of every node, then the update count.
    void UpdateGimmicks();
    void UpdateGimmickScreenPositions();
    // The exit trigger and one step of the running exit; then a removal request.
    void RunGimmickExits();
    void DrawGimmicks() const;

    uint8_t exitRunning = 0;          // 1 while an exit script runs
    ScriptContext *script = nullptr;  // the record the exit scripts run on
    StatusWindow *status = nullptr;   // the story flags
    const Companion *companion = nullptr; // its mode blocks exits; the camera centres on it
    const MapGrid *grid = nullptr;
    const Player *player = nullptr;
    int updateCount = 0;
    uint8_t removeRequest = 0;        // set by an event command: remove the exit's gimmick
    std::list<GimmickNode> nodes;     // in creation order
    GimmickNode *exitNode = nullptr;  // the gimmick whose exit last started
    int exitScript = 0;
    int sheet = -1;
    std::array<const Script *, kExitScriptCount + 1> exitScripts{}; // by number; 0 unused
    // The gimmicks event commands made since the last area load (slots 1..3 of the commands).
    std::array<GimmickNode *, 3> scriptNodes{};
    ExitScriptStep scriptStep;        // the event scripts' step; tests put a recorder here

    Gimmicks();

private:
    void MoveNode(GimmickNode &node, int count);
};

void CreateGimmick(Gimmicks &gimmicks, int x, int y, int kind);
void FreeGimmickList(Gimmicks &gimmicks);
