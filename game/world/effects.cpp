#include "game/world/effects.h"

#include <cmath>
#include <cstdlib>

#include "game/actors/actors.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_random.h"
#include "game/frame/sound_lists.h"
#include "game/world/camera.h"
#include "game/world/map_grid.h"
#include "game/world/world_services.h" // the entries the actors call, as they declare them

namespace {

constexpr const char *kEffectSheetFiles[kEffectSheetCount] = {
    "DataForWork\\number.dds",
    "DataForWork\\number2.dds",
    "DataForWork\\back4.dds",
    "DataForWork\\kaze.dds",
};

int RandomSign() { return GameRand() % 2 ? 1 : -1; }

// A coordinate made whole, toward zero or down, held inside int (far past any map or screen);
// not-a-number gives a place off every map.
int Whole(double v, bool down)
{
    if (v != v) return -1000000;
    if (v > 1e6) return 1000000;
    if (v < -1e6) return -1000000;
    return (int)(down ? std::floor(v) : v);
}

void SetRect(EffectNode &n, int left, int top, int width, int height, int offsetX, int offsetY)
{
    n.left = left;
    n.top = top;
    n.right = left + width;
    n.bottom = top + height;
    n.offsetX = offsetX;
    n.offsetY = offsetY;
}

// A spark: a 2 x 2 dot from a few cells along the top of the first sheet.
void SparkRect(EffectNode &n)
{
    int r1 = GameRand() % 2, r2 = GameRand() % 2;
    SetRect(n, 82 + 4 * r1 - 2 * r2, 0, 2, 2, -1, -1);
}

// Speed 2 in a random direction between the axes' 1..10 steps.
void Burst(EffectNode &n)
{
    int ax = (GameRand() % 10 + 1) * RandomSign();
    int ay = (GameRand() % 10 + 1) * RandomSign();
    float a = std::atan2((float)ay, (float)ax);
    n.vx = 2.0f * std::cos(a);
    n.vy = 2.0f * std::sin(a);
}

} // namespace

void Effects::SpawnEffect(float x, float y, int type)
{
    if (type < 0 || type >= kEffectKindCount) return;
    const EffectKind &k = kEffectKinds[type];
    EffectNode n;
    n.x = x;
    n.y = y;
    n.vx = k.vx;
    n.vy = k.vy;
    n.life = k.life;
    n.type = type;
    n.number = k.value;
    n.sheet = k.sheet;
    n.interval = k.interval;
    n.frames = k.frames;
    n.width = k.width;
    n.height = k.height;
    n.sheetX = k.sheetX;
    n.sheetY = k.sheetY;
    n.stepX = (uint8_t)k.stepX;
    n.sound = k.sound;
    nodes.push_back(n);
}

void Effects::AddPopupNumber(float x, float y, int value, int digitRow)
{
    SpawnEffect(x, y, 0);
    EffectNode &n = nodes.back();
    n.vx = 0;
    n.vy = -1.0f;
    n.life = 40;
    n.sheetY = digitRow;
    n.number = value;
}

uint32_t Effects::CellUnder(const EffectNode &n) const
{
    if (!grid) return 0;
    return CellAt(*grid, Whole(n.x / kMapTileSize, true), Whole(n.y / kMapTileSize, true));
}

void Effects::UpdateEffects()
{
    for (auto it = nodes.begin(); it != nodes.end();) {
        EffectNode &n = *it;
        switch (n.type) {
        case 0: break;
        case 2:
            if (CellUnder(n) & 0x01000100) n.life = 0;
            else SparkRect(n);
            break;
        case 3:
            if (n.life == 19) {
                n.vx = (float)RandomSign();
                n.vy = (float)RandomSign();
            } else if (n.life == 10) {
                n.vx = n.vy = 0;
            }
            SetRect(n, 80, 2, 3, 3, -1, -1);
            break;
        case 4:
            if (CellAttribute(CellUnder(n)) == 1) {
                n.life = 0;
            } else if (n.life == 29) {
                n.vy = -((float)(GameRand() % 10) * 0.1f + 1.0f);
                int v = GameRand() % 8;
                n.vx = (float)(v * RandomSign());
            } else {
                n.vx *= 0.9f;
                n.vy += 0.05f;
            }
            SparkRect(n);
            break;
        case 5:
            if (n.life == 24) Burst(n);
            SetRect(n, 40 - (n.life / 4) * 8, 40, 8, 8, -4, -4);
            break;
        case 6:
            if (n.life == 40) {
                Burst(n);
                n.life -= GameRand() % 10;
            }
            SetRect(n, ((40 - n.life) / 6) * 16, 48, 16, 16, -8, -8);
            break;
        case 7: SetRect(n, ((19 - n.life) / 5) * 16, 64, 16, 16, -8, -8); break;
        case 8: SetRect(n, ((19 - n.life) / 5) * 16, 80, 16, 16, -8, -8); break;
        case 9:
            if (n.life == 39) n.vy = -2.0f;
            else n.vy *= 0.95f;
            SetRect(n, ((39 - n.life) / 10) * 16, 96, 16, 16, -8, -8);
            break;
        case 10: {
            int frame = n.life >= 30 ? 3 : n.life >= 20 ? 2 : n.life >= 10 ? 1 : 0;
            SetRect(n, frame * 16, 112, 16, 16, -8, -8);
            break;
        }
        case 11: {
            int frame = n.life >= 90 ? 0 : n.life >= 80 ? 1 : n.life >= 70 ? 2 : 3;
            SetRect(n, frame * 16, 112, 16, 16, -8, -8);
            break;
        }
        case 12: SetRect(n, 48, 112, 16, 16, -8, -8); break;
        case 13:
            if (n.life == 30) {
                n.vx = 0.5f;
                n.vy = -0.5f;
            } else {
                n.vx *= 0.95f;
            }
            SetRect(n, 89 + ((30 - n.life) / 8) * 8, 1, 7, 6, -4, -4);
            break;
        case 14: {
            int imageX;
            if (n.bounces > 2) {
                n.vx = n.vy = 0;
                imageX = 121;
            } else {
                if (CellUnder(n) & 0x100) {
                    n.bounces++;
                    n.vy = 1.0f - n.vy;
                } else {
                    n.vy += 0.2f;
                    n.vx *= 0.95f;
                }
                imageX = n.life % 20 <= 10 ? 121 : 125;
            }
            SetRect(n, imageX, 0, 4, 4, -1, -1);
            break;
        }
        case 16:
            if (n.life == 19) PlayEffectSound(33);
            SetRect(n, 384, (n.life / 4) * 128 + 160, 256, 128, -128, -128);
            break;
        case 17:
            if (n.life == 19) PlayEffectSound(33);
            SetRect(n, 0, (n.life % 2) * 512, 512, 512, -256, -256);
            break;
        default: {
            if (n.sound != 0) {
                PlayEffectSound(n.sound);
                n.sound = 0;
            }
            int x = n.sheetX, y = n.sheetY;
            if (n.frames >= 2 && n.interval > 0) {
                int frame = (n.life / n.interval) % n.frames;
                if (n.stepX) x += frame * n.width;
                else y += frame * n.height;
            }
            SetRect(n, x, y, n.width, n.height, -n.width / 2, -n.height / 2);
            break;
        }
        }
        n.life--;
        n.x += n.vx;
        n.y += n.vy;
        if (n.life <= 0) it = nodes.erase(it);
        else ++it;
    }
}

void Effects::PlaceEffects()
{
    if (!grid) return;
    CameraPoint camera = ClampCamera(*grid, focus ? focus->x : 0.0f, focus ? focus->y : 0.0f);
    for (EffectNode &n : nodes) {
        n.screenX = (float)Whole(ScreenX(camera, n.x), false);
        n.screenY = (float)Whole(ScreenY(camera, n.y), false);
    }
}

void Effects::DrawEffects()
{
    GameGraphicsCalls &g = GameGraphics();
    for (const EffectNode &n : nodes) {
        int sx = (int)n.screenX, sy = (int)n.screenY;
        if (n.type == 0) {
            // Digits from the last, right to left; a minus mark after a negative number's.
            long long v = std::llabs((long long)n.number);
            int c = -2;
            do {
                g.drawGraphPart(sx + c, sy, (int)(v % 10) * 8, n.sheetY, 8, 8, sheets[0], 1, 0);
                v /= 10;
                c -= 7;
            } while (v != 0);
            if (n.number < 0) g.drawGraphPart(sx + c + 5, sy, 2, 80, 3, 3, sheets[0], 1, 0);
            continue;
        }
        int sheet = n.sheet >= 0 && n.sheet < kEffectSheetCount ? sheets[n.sheet] : -1;
        g.drawGraphPart(sx + n.offsetX, sy + n.offsetY, n.left, n.top, n.right - n.left, n.bottom - n.top, sheet, 1, 0);
    }
}

void Effects::FreeEffects() { nodes.clear(); }

void Effects::LoadEffectSheets()
{
    GameGraphicsCalls &g = GameGraphics();
    for (int i = 0; i < kEffectSheetCount; i++) sheets[i] = g.openImageAsGraph(kEffectSheetFiles[i], 0);
    LoadWipeImages(wipe);
}

void Effects::DrawFullScreenPicture() const
{
    if (fullScreenPicture == 1) GameGraphics().drawGraphStretched(0, 0, 320, 240, wipe.cover, 1);
}

void SpawnEffect(Effects &effects, float x, float y, int type) { effects.SpawnEffect(x, y, type); }
void AddPopupNumber(Effects &effects, float x, float y, int n) { effects.AddPopupNumber(x, y, n); }
void AddPlayerPopupNumber(Effects &effects, float x, float y, int n)
{
    effects.AddPopupNumber(x, y, n, kPlayerPopupDigitRow);
}
