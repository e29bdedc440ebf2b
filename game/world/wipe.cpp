#include "game/world/wipe.h"

#include <algorithm>

#include "game/frame/game_graphics.h"

namespace {
constexpr int kBlock = 16;
constexpr int kScreenW = 320, kScreenH = 240;
constexpr int kLastBlockFrame = 5;
constexpr int kDiagonalReach = 18; // block row + column

void DrawBlock(const Wipe &w, int x, int y, int frame)
{
    GameGraphics().drawGraphPart(x, y, kBlock * frame, 0, kBlock, kBlock, w.blockSheet, 1, 0);
}

// How far a block lies from the edge a sweep starts at.
int SweepDistance(int pattern, int x, int y)
{
    switch (pattern) {
    case 0: return y;
    case 1: return kScreenH - y;
    case 2: return x;
    default: return kScreenW - x;
    }
}

// Every block (x, y on the 16-pixel grid, the far edges included) at least `front` from the edge.
void DrawSweepBlocks(const Wipe &w, int pattern, int front, int frame, bool *drew)
{
    for (int y = 0; y <= kScreenH; y += kBlock)
        for (int x = 0; x <= kScreenW; x += kBlock)
            if (SweepDistance(pattern, x, y) >= front) {
                DrawBlock(w, x, y, frame);
                *drew = true;
            }
}

int SweepCover(Wipe &w, int pattern)
{
    const int c = w.counter;
    const int front = (15 - c) * kBlock;
    int grown = 0;
    if (front <= 0) grown = std::min(15, c - 15);
    bool drew = false;
    DrawSweepBlocks(w, pattern, front, grown / 3, &drew);
    w.counter++;
    if (grown == 15) {
        w.counter = 0;
        return 1;
    }
    return 0;
}

int SweepUncover(Wipe &w, int pattern)
{
    const int c = w.counter;
    bool drew = false;
    if (c <= 15) DrawSweepBlocks(w, pattern, -1, std::min(15, 15 - c) / 3, &drew); // the blocks shrink
    else DrawSweepBlocks(w, pattern, (c - 15) * kBlock, 0, &drew);                // and retreat to the edge
    w.counter++;
    if (!drew) {
        w.counter = 0;
        return 1;
    }
    return 0;
}

// The corner wipes: block (j, i) and its mirrors in the other three corners, with the frame of
// `base - i - j` thirds; a row stops at its first block not yet shown.
int DrawCornerBlocks(const Wipe &w, int base)
{
    int last = -1;
    for (int i = 0; i <= kDiagonalReach; i++) {
        for (int j = 0; i + j <= kDiagonalReach; j++) {
            const int f = std::min(kLastBlockFrame, (base - i - j) / 3);
            if (f < 0) break;
            const int x = kBlock * j, y = kBlock * i;
            DrawBlock(w, x, y, f);
            DrawBlock(w, kScreenW - x, y, f);
            DrawBlock(w, kScreenW - x, kScreenH - y, f);
            DrawBlock(w, x, kScreenH - y, f);
            last = f;
        }
    }
    return last;
}

int DiagonalCover(Wipe &w)
{
    const int last = DrawCornerBlocks(w, w.counter);
    w.counter++;
    if (last == kLastBlockFrame) {
        w.counter = 0;
        return 1;
    }
    return 0;
}

int DiagonalUncover(Wipe &w)
{
    // Its first frame already shows every block whole, so it ends when no block is left rather
    // than on a whole last block.
    const int last = DrawCornerBlocks(w, 33 - w.counter);
    w.counter++;
    if (last == -1) {
        w.counter = 0;
        return 1;
    }
    return 0;
}
} // namespace

void LoadWipeImages(Wipe &wipe)
{
    GameGraphicsCalls &g = GameGraphics();
    wipe.blockSheet = g.openImageAsGraph("DataForWork\\fade.bmp", 0);
    wipe.cover = g.openImageAsGraph("DataForWork\\fade2.bmp", 0);
}

int RunWipe(Wipe &wipe, int pattern, int uncover)
{
    if (pattern < 0 || pattern > 4) return 0;
    if (pattern == 4) return uncover ? DiagonalUncover(wipe) : DiagonalCover(wipe);
    return uncover ? SweepUncover(wipe, pattern) : SweepCover(wipe, pattern);
}

void CoverScreen(const Wipe &wipe) { GameGraphics().drawGraphStretched(0, 0, kScreenW, kScreenH, wipe.cover, 1); }
