// What the player reads on screen over the world: the message box at the bottom (plain,
// typed-out and number messages), eight notification slots above the bottom-left corner, the
// area-name banner in the bottom-right corner, and two long presentations (a caption strip
// revealed line by line and a rising cast roll). Texts go through the text overlay.
#pragma once

#include <array>
#include <cstdint>

class TextOverlay;

constexpr int kNotificationSlots = 8;
constexpr int kHudTextBytes = 12; // 11 bytes and the terminator

struct Notification {
    uint8_t free = 1;
    int life = 0;
    char text[kHudTextBytes] = {};
};

class Hud {
public:
    TextOverlay *overlay = nullptr;
    int windowImage = -1;  // "DataForWork\\win.dds"
    int windowFill = -1;   // its 1 x 1 cell at (1, 1)
    int captionImage = -1; // "DataForWork\\map\\subti.bmp": strips of 320 x 32
    int castImage = -1;    // "DataForWork\\map\\cast.bmp": 128 x 1410
    // 1 once something drew a box this frame; the frame's latch restarts the message when a
    // frame passes without it.
    uint8_t hold = 0;
    int messagePos = 0;     // byte offset into the message text
    int messageCounter = 0; // frames; the banner counts on it too
    int presentationCounter = 0;
    std::array<Notification, kNotificationSlots> notifications{};
    char bannerText[kHudTextBytes] = {};
    int bannerState = 0; // 2 = showing
};

// The window with its fill cell, the caption strips and the cast roll.
void LoadHudImages(Hud &hud);
// The frame's latch: keeps the message where it is when a box was drawn, else restarts it.
void LatchHud(Hud &hud);

// The window fill stretched over (x1, y1)-(x2, y2).
void DrawHudWindow(Hud &hud, int x1, int y1, int x2, int y2);
// The message box with a text; -1 on the frame JUMP is pressed, else 1.
int ShowMessageAndWait(Hud &hud, const char *text);
// The message box typing a text out (one character every 5 frames with effect 51; byte 7 waits
// for SHOT or JUMP, byte 10 breaks the line; SHOT or JUMP shows the rest up to the next wait
// at once). The number of bytes shown, or -1 once the whole text has been read.
int ShowTypedMessage(Hud &hud, const char *text);
// The message box with a number between its two sentence parts; -1 on the frame SHOT or JUMP
// is pressed, else 1.
int ShowNumberMessage(Hud &hud, int number);
// Caption strip a revealed over 300 frames: 1 while running, -1 on its last frame.
int ShowCaptionStrip(Hud &hud, int strip);
// The cast roll rising over 8000 frames: 1 while running, -1 on its last frame.
int ScrollCastRoll(Hud &hud);

// A text (11 bytes kept) into the first free slot; nothing when all eight are taken.
void AddNotification(Hud &hud, const char *text);
// The notifications and the banner (each notification shows for 102 frames, the banner 91).
void DrawNotifications(Hud &hud);
// Puts a name in the banner and starts it.
void ShowAreaName(Hud &hud, const char *text);
