#include "game/world/tile_view.h"

#include <cmath>

#include "game/actors/actors.h"
#include "game/frame/game_graphics.h"

namespace {
constexpr const char *kTileSheetFiles[kTileSheetCount] = {
    "DataForWork\\map\\hakubutu.bmp", "DataForWork\\map\\umi.bmp",  "DataForWork\\map\\mmap.bmp",
    "DataForWork\\map\\akatukim1.bmp", "DataForWork\\map\\sand.bmp", "DataForWork\\map\\dou.bmp",
    "DataForWork\\map\\senkan.bmp",   "DataForWork\\map\\kaku.bmp", "DataForWork\\map\\ero.bmp",
    "DataForWork\\map\\hakubutu.bmp", "DataForWork\\map\\nuka.bmp",
};

int SheetGraph(const TileView &view, int sheet)
{
    return sheet >= 0 && sheet < kTileSheetCount ? view.sheets[sheet] : -1;
}

constexpr int kMiniMapCells = 40;
constexpr int kMiniMapLeft = 266;
} // namespace

const char *TileSheetFile(int sheet)
{
    return sheet >= 0 && sheet < kTileSheetCount ? kTileSheetFiles[sheet] : nullptr;
}

void LoadTileSheets(TileView &view)
{
    GameGraphicsCalls &g = GameGraphics();
    for (int i = 0; i < kTileSheetCount; i++) view.sheets[i] = g.openImageAsGraph(kTileSheetFiles[i], 0);
}

void FreeTileSheets(TileView &view)
{
    GameGraphicsCalls &g = GameGraphics();
    for (int &h : view.sheets) {
        if (h != -1) g.destroyGraph(h);
        h = -1;
    }
}

void UpdateCamera(TileView &view)
{
    static const MapGrid kEmpty;
    const MapGrid &grid = view.grid ? *view.grid : kEmpty;
    view.camera = ClampCamera(grid, view.focus ? view.focus->x : 0.0f, view.focus ? view.focus->y : 0.0f);
    const int column = PixelToCell(view.camera.x), row = PixelToCell(view.camera.y);
    view.firstColumn = column - 20;
    view.endColumn = column + 20;
    view.firstRow = row - 16;
    view.endRow = row + 16;
}

void DrawTileLayer(TileView &view, int layer)
{
    GameGraphicsCalls &g = GameGraphics();
    const bool dark = view.dark != 0;
    if (dark) g.setBrightnessRGB(0, 0, 0);
    if (layer == 1) {
        view.animFrame = view.animCounter / 10;
        if (++view.animCounter == 40) view.animCounter = 0;
    }
    const int graph = SheetGraph(view, layer == 1 ? view.layer1Sheet : view.layer2Sheet);
    if (view.grid && graph != -1) {
        for (int row = view.firstRow; row < view.endRow; row++) {
            const int y = (int)(std::trunc(ScreenY(view.camera, (float)(row * kMapTileSize))) + view.offsetY);
            for (int column = view.firstColumn; column < view.endColumn; column++) {
                const uint32_t cell = CellAt(*view.grid, column, row);
                int t = layer == 1 ? CellTile1(cell) : CellTile2(cell);
                if (t == 0) continue;
                if (t >= kFirstAnimatedTile) t += view.animFrame;
                const int x = (int)(std::trunc(ScreenX(view.camera, (float)(column * kMapTileSize))) + view.offsetX);
                g.drawGraphPart(x, y, (t % 16) * kMapTileSize, (t / 16) * kMapTileSize, kMapTileSize, kMapTileSize,
                                graph, 1, 0);
            }
        }
    }
    if (dark) {
        g.setBrightnessRGB(254, 254, 254);
        view.dark = 0;
    }
}

MiniMapDot MiniMapDotFor(uint32_t cell)
{
    switch ((cell >> 8) & 0xFF) {
    case 1: return {0, 0};
    case 10:
    case 12: return {1, 0};
    case 11: return {4, 0};
    case 13: return {5, 0};
    case 15: return {6, 0};
    default: return {2, 0};
    }
}

int MiniMapTop(const MapGrid &grid, int column, int row)
{
    return column + 7 >= grid.width && row - 7 > 0 ? 186 : 14;
}

void DrawMiniMap(const TileView &view)
{
    if (!view.player || !view.grid || (view.player->abilityFlags & 0x10) == 0) return;
    GameGraphicsCalls &g = GameGraphics();
    const MapGrid &grid = *view.grid;
    const int sheet = view.sheets[kMiniMapSheet];
    const int c = PixelToCell(view.player->x), r = PixelToCell(view.player->y);
    const int y0 = MiniMapTop(grid, c, r);
    for (int i = 0; i < kMiniMapCells; i++) {
        const int row = r - kMiniMapCells / 2 + i;
        if (row < 0 || row >= grid.height) continue;
        for (int j = 0; j < kMiniMapCells; j++) {
            const int column = c - kMiniMapCells / 2 + j;
            if (column < 0 || column >= grid.width) continue;
            const uint32_t cell = CellAt(grid, column, row);
            const MiniMapDot dot = column == c && row == r ? MiniMapDot{0, 1} : MiniMapDotFor(cell);
            g.drawGraphPart(kMiniMapLeft + j, y0 + i, dot.x, dot.y, 1, 1, sheet, 0, 0);
            const int link = CellLink(cell);
            if (link >= 1 && link <= 4) g.drawGraphPart(kMiniMapLeft + j, y0 + i, 2, 0, 1, 1, sheet, 0, 0);
        }
    }
    g.drawGraphPart(kMiniMapLeft, y0, 57, 0, 41, 41, sheet, 1, 0);
}
