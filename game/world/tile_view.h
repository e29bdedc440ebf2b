// The field's tile view: the eleven tile sheets, the two tile layers of the map grid drawn
// around the camera (layer 1 behind the actors, layer 2 in front), the animated tiles, and the
// minimap.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/camera.h"

struct Companion;
struct Player;

constexpr int kTileSheetCount = 11;
constexpr int kMiniMapSheet = 2;
// Tiles from here on step through themselves and the three cells after them.
constexpr int kFirstAnimatedTile = 240;

struct TileView {
    std::array<int, kTileSheetCount> sheets; // graph handles by sheet number
    int layer1Sheet = 0, layer2Sheet = 0;    // set per area
    uint8_t dark = 0;                        // 1: the next layer drawn is drawn black
    float offsetX = 0, offsetY = 0;          // added to every tile's screen position
    CameraPoint camera;                      // world point at the screen's centre
    int firstColumn = 0, endColumn = 0;      // visible cells, end exclusive
    int firstRow = 0, endRow = 0;
    int animFrame = 0, animCounter = 0;      // 0..3 and 0..39
    const Companion *focus = nullptr;        // the camera follows it
    const MapGrid *grid = nullptr;
    const Player *player = nullptr;          // the minimap's ability flag and position

    TileView() { sheets.fill(-1); }
};

// The file of each tile sheet, by sheet number.
const char *TileSheetFile(int sheet);
// Loads the eleven sheets (a sheet that does not load keeps -1 and its tiles draw nothing).
void LoadTileSheets(TileView &view);
void FreeTileSheets(TileView &view);

// Camera from the focus, clamped to the map, and the visible cell ranges around it.
void UpdateCamera(TileView &view);
// Draws layer 1 or 2 of the visible cells; layer 1 also steps the tile animation.
void DrawTileLayer(TileView &view, int layer);

// Minimap dot of a cell: the source point on the minimap sheet, by the cell's attribute and
// spawn byte (bits 8..15).
struct MiniMapDot {
    int x, y;
};
MiniMapDot MiniMapDotFor(uint32_t cell);
// Top of the minimap for the player's cell: 14, or 186 near the map's right edge when the
// player is not near its top.
int MiniMapTop(const MapGrid &grid, int column, int row);
// While the player carries the map ability: 40 x 40 cells around the player and the frame.
void DrawMiniMap(const TileView &view);
