#include "game/frame/game_graphics.h"

namespace {
int Zero0() { return 0; }
int Zero1(int) { return 0; }
int Zero3(int, int, int) { return 0; }
int NoImage(const char *, int) { return -1; }
int NoGraph(int) { return -1; }
int NoBlank(int, int) { return -1; }
int NoCapture(int, int, int, int, int) { return -1; }
int NoStretch(int, int, int, int, int, int) { return -1; }
int NoPart(int, int, int, int, int, int, int, int, int) { return -1; }
void NoText() {}

GameGraphicsCalls g_gameGraphics = {Zero1,   Zero0,   Zero0,     Zero0,     Zero3,  NoImage,
                                    NoGraph, NoBlank, NoCapture, NoStretch, NoPart, NoText};
} // namespace

GameGraphicsCalls &GameGraphics() { return g_gameGraphics; }
