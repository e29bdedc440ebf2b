// The enemies on the screen: their places from the camera, their sprites with the hit shake and
// the silhouettes of the dark, the life bars, and the one line of speech in the message box.
#include <algorithm>

#include "game/actors/actor_map.h"
#include "game/actors/enemies.h"
#include "game/actors/enemy_kinds.h"
#include "game/actors/player.h"
#include "game/frame/game_graphics.h"
#include "game/world/world_services.h"

namespace {

constexpr float kMargin = 256; // nodes this far past the screen keep their place
constexpr int kSpeechFrames = 200;
constexpr int kBossBarsShown = 4;
constexpr int kBrightAfterDark = 254;

int Sheet(const Enemies &e, int sheet) { return (sheet >= 0 && sheet < kEnemySheetCount) ? e.sheets[sheet] : -1; }

void DrawDarkened(const Enemies &e, int x, int y, int sx, int sy, int w, int h, int graph)
{
    GameGraphicsCalls &g = GameGraphics();
    if (e.darkness) g.setBrightnessRGB(0, 0, 0);
    g.drawGraphPart(x, y, sx, sy, w, h, graph, 1, 0);
    if (e.darkness) g.setBrightnessRGB(kBrightAfterDark, kBrightAfterDark, kBrightAfterDark);
}

// The fill's width: hp / max hp of the full width in floats, never past the frame.
int FillWidth(int hp, int maxHp, int full)
{
    const float ratio = std::clamp((float)hp / (float)maxHp, -1.0f, 1.0f);
    return (int)(ratio * (float)full);
}

} // namespace

void UpdateEnemyScreenPositions(Enemies &enemies)
{
    const CameraPoint camera = enemies.focus ? ActorCamera(*enemies.focus) : CameraPoint{160, 120};
    for (EnemyNode *n = enemies.head; n; n = n->next) {
        const float sx = ScreenX(camera, n->x), sy = ScreenY(camera, n->y);
        if (sx > -kMargin && sx < kScreenWidth + kMargin && sy > -kMargin && sy < kScreenHeight + kMargin) {
            n->screenX = (float)(int)sx;
            n->screenY = (float)(int)sy;
        } else {
            n->screenX = -32;
            n->screenY = -32;
        }
    }
}

void DrawEnemies(Enemies &enemies)
{
    GameGraphicsCalls &g = GameGraphics();
    for (EnemyNode *n = enemies.head; n; n = n->next) {
        if (n->operation == OP_HIDDEN) continue;
        const int w = 2 * n->anchorX, h = 2 * n->anchorY;
        const int sx = (int)(n->sourceX + (float)(w * n->frameColumn));
        const int sy = (int)(n->sourceY + (float)(h * n->frameRow));
        const int graph = Sheet(enemies, n->sheet);
        const int x = (int)n->screenX - n->anchorX, y = (int)n->screenY - n->anchorY;
        if (n->hit && n->boss) {
            g.drawGraphPart(x, y, sx, sy, w, h, graph, 1, 0); // a boss shows its hits in its bar
        } else if (n->hit && n->state != ENEMY_HURT) {
            // Shaken: one pixel left on odd counts, one right on even ones.
            DrawDarkened(enemies, x - 1 + (n->hitShake % 2 == 0 ? 2 : 0), y, sx, sy, w, h, graph);
        } else {
            DrawDarkened(enemies, x, y, sx, sy, w, h, graph);
        }
    }
}

void DrawEnemyLifeBar(Enemies &enemies, EnemyNode &n)
{
    if (n.maxHp == 0) return;
    GameGraphicsCalls &g = GameGraphics();
    const int bars = Sheet(enemies, SHEET_LIFE_BARS);
    if (!n.boss) {
        // Over ordinary enemies only with the armour that shows them.
        if (!enemies.player || (enemies.player->abilityFlags & 1) == 0) return;
        const int x = (int)n.screenX, y = (int)n.screenY;
        g.drawGraphPart(x - 5, y - (n.anchorY + 5), 0, 0, 12, 3, bars, 1, 0);
        const int fill = FillWidth(n.hp, n.maxHp, 10);
        if (fill > 0) g.drawGraphPart(x - 4, y - (n.anchorY + 4), 1, 3, fill, 1, bars, 1, 0);
        return;
    }
    if (n.noDeath) return;
    const int at = ++enemies.bossBars;
    if (at > kBossBarsShown) return;
    g.drawGraphPart(280, 160 - 9 * at, 0, 9, 32, 4, bars, 1, 0);
    const int fill = FillWidth(n.hp, n.maxHp, 30);
    g.drawGraphPart(281, 161 - 9 * at, 1, 13, fill > 0 ? fill : 1, 2, bars, 1, 0);
}

void DrawEnemySpeech(Enemies &enemies)
{
    enemies.bossBars = 0;
    for (EnemyNode *n = enemies.head; n; n = n->next) DrawEnemyLifeBar(enemies, *n);
    if (!enemies.speechShown) return;
    WorldServices().showMessageAndWait(enemies.hud, enemies.speech);
    // The line stays 201 frames.
    if (enemies.speechFrames >= kSpeechFrames) {
        enemies.speechShown = 0;
        enemies.speechFrames = 0;
    } else {
        enemies.speechFrames++;
    }
}
