#include "game/frame/hud.h"

#include <cmath>

#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/frame/sjis_text.h"
#include "game/frame/sound_lists.h"
#include "game/frame/text_overlay.h"
#include "library/base/pathchar.h"

namespace {
constexpr char kWaitMark = 7;
constexpr char kLineBreak = 10;
constexpr int kTypeFrames = 5;
constexpr int kTypeSound = 51;
constexpr int kCaptionSound = 96;
constexpr int kCaptionFrames = 300;
constexpr int kCastFrames = 8000;
constexpr int kNotificationLife = 100; // freed on the draw after the life passes it: 102 frames
constexpr int kBannerFrames = 90;      // 91 frames

// The number message's sentence around the number: "N ゴールドを てにいれた。"
constexpr const char *kNumberMessageFirst = "たからばこを　あけた！";
constexpr const char *kNumberMessageSecond = "ゴールドを　てにいれた。";

bool Pressed(int button) { return GetGameInput().Button(button) == 1; }

void DrawMessageWindow(Hud &hud)
{
    hud.hold = 1;
    DrawHudWindow(hud, 5, 150, 315, 235);
}
} // namespace

void LoadHudImages(Hud &hud)
{
    GameGraphicsCalls &g = GameGraphics();
    hud.windowImage = g.openImageAsGraph("DataForWork\\win.dds", 0);
    hud.windowFill = g.createSubGraph(1, 1, 1, 1, hud.windowImage);
    hud.captionImage = g.openImageAsGraph("DataForWork\\map\\subti.bmp", 0);
    hud.castImage = g.openImageAsGraph("DataForWork\\map\\cast.bmp", 0);
}

void LatchHud(Hud &hud)
{
    if (hud.hold == 1) {
        hud.hold = 0;
    } else {
        hud.messagePos = 0;
        hud.messageCounter = 0;
    }
}

void DrawHudWindow(Hud &hud, int x1, int y1, int x2, int y2)
{
    GameGraphics().drawGraphStretched(x1, y1, x2, y2, hud.windowFill, 1);
}

int ShowMessageAndWait(Hud &hud, const char *text)
{
    DrawMessageWindow(hud);
    if (hud.overlay) hud.overlay->AddSjisText(13, 154, text);
    return Pressed(BUTTON_JUMP) ? -1 : 1;
}

int ShowTypedMessage(Hud &hud, const char *text)
{
    if (!text) text = "";
    DrawMessageWindow(hud);
    const bool press = Pressed(BUTTON_SHOT) || Pressed(BUTTON_JUMP);
    int &pos = hud.messagePos;
    int result;
    switch (text[pos]) {
    case 0:
        pos = 0;
        hud.messageCounter = 0;
        result = -1;
        break;
    case kWaitMark:
        if (press) {
            pos++;
            hud.messageCounter = 0;
        }
        result = pos;
        break;
    case kLineBreak:
        pos++;
        hud.messageCounter = 0;
        result = pos;
        break;
    default:
        hud.messageCounter++;
        if (press) {
            // Everything up to the next wait mark (or the end) shows at once; its last
            // character then types as usual. Steps are whole characters, so a single-byte
            // character never makes the step land past a mark or the terminator.
            int last = pos;
            for (int p = pos; text[p] != 0 && text[p] != kWaitMark; p += PathCharLength(text + p)) last = p;
            pos = last;
            hud.messageCounter = 0;
        } else if (hud.messageCounter >= kTypeFrames) {
            PlayEffectSound(kTypeSound);
            pos += PathCharLength(text + pos);
            hud.messageCounter = 0;
        }
        result = pos;
        break;
    }
    if (hud.overlay) hud.overlay->AddSjisTextLimited(13, 154, text, result);
    if (text[pos] == kWaitMark) {
        hud.messageCounter++;
        if (hud.messageCounter % 10 >= 5) GameGraphics().drawGraphPart(287, 221, 0, 32, 8, 8, hud.windowImage, 1, 0);
    }
    return result;
}

int ShowNumberMessage(Hud &hud, int number)
{
    DrawMessageWindow(hud);
    if (hud.overlay) {
        hud.overlay->AddSjisText(13, 154, kNumberMessageFirst);
        hud.overlay->AddSjisNumber(13, 174, number);
        hud.overlay->AddSjisText(37, 174, kNumberMessageSecond);
    }
    return Pressed(BUTTON_SHOT) || Pressed(BUTTON_JUMP) ? -1 : 1;
}

int ShowCaptionStrip(Hud &hud, int strip)
{
    const int k = hud.presentationCounter;
    if (k == 0) PlayEffectSound(kCaptionSound);
    // Every b-th row stays empty; b grows from 0 to 32 over 250 frames, so the rows fill in.
    const int b = 32 - (int)std::trunc((float)(250 - k) / 250.0f * 32.0f);
    GameGraphicsCalls &g = GameGraphics();
    for (int i = 0; i < 32; i++)
        if (b > 0 && i % b != 0) g.drawGraphPart(16, 44 + i, 0, 32 * strip + i, 320, 1, hud.captionImage, 1, 0);
    hud.presentationCounter = k + 1;
    if (k == kCaptionFrames) {
        hud.presentationCounter = 0;
        return -1;
    }
    return 1;
}

int ScrollCastRoll(Hud &hud)
{
    const int k = hud.presentationCounter;
    GameGraphics().drawGraphPart(170, 240 - k / 4, 0, 0, 128, 1410, hud.castImage, 1, 0);
    hud.presentationCounter = k + 1;
    if (k == kCastFrames) {
        hud.presentationCounter = 0;
        return -1;
    }
    return 1;
}

void AddNotification(Hud &hud, const char *text)
{
    for (Notification &n : hud.notifications) {
        if (!n.free) continue;
        CopySjisBounded(n.text, sizeof n.text, text);
        n.life = 0;
        n.free = 0;
        return;
    }
}

void DrawNotifications(Hud &hud)
{
    int y = 220;
    for (Notification &n : hud.notifications) {
        if (n.free) continue;
        hud.hold = 1;
        DrawHudWindow(hud, 5, y, 90, y + 15);
        if (hud.overlay) hud.overlay->AddText(13, y + 3, n.text);
        y -= 17;
        if (n.life++ > kNotificationLife) n.free = 1;
    }
    if (hud.bannerState == 2) {
        hud.hold = 1;
        DrawHudWindow(hud, 230, 220, 315, 235);
        if (hud.overlay) hud.overlay->AddText(233, 223, hud.bannerText);
        if (++hud.messageCounter > kBannerFrames) hud.bannerState = 0;
    }
}

void ShowAreaName(Hud &hud, const char *text)
{
    CopySjisBounded(hud.bannerText, sizeof hud.bannerText, text);
    hud.messageCounter = 0;
    hud.bannerState = 2;
}
