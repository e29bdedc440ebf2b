// The window pieces the storage box and the shop draw their screens with: the cursor sheet, the
// window image and its 1 x 1 fill, and the offsets of the last window drawn.
#pragma once

struct MenuWindow {
    int cursorSheet = -1; // "DataForWork\\cursor.dds": the 16 x 16 cursor at (16, 0), markers at (32, 0) and (32, 8)
    int windowImage = -1; // "DataForWork\\win.dds"
    int windowFill = -1;  // its pixel at (1, 1), stretched over a window
    int scratch[3] = {};  // the last window's offsets
};

void LoadMenuWindowImages(MenuWindow &window);
// The fill stretched over (x1 + ox, y1 + oy)-(x2, y2) with ox = int(x1 / (x2 - x1)) and
// oy = int(y1 / (y2 - y1)); nothing for a rectangle of no width or height.
void DrawMenuWindow(MenuWindow &window, int x1, int y1, int x2, int y2);
// The list cursor at a row's place and the two scroll markers.
void DrawMenuCursor(const MenuWindow &window, int x, int y);
void DrawScrollMarkers(const MenuWindow &window, bool up, bool down);

// The sound of the first-frame press of one button: JUMP 21, else SHOT 24, else any arrow 15.
void PlayMenuButtonSound();
// UP and DOWN over a four-row list: the cursor row moves, and at the ends the list scrolls
// (top between 0 and topMax; a negative topMax keeps it at 0).
void ScrollMenuList(int &row, int &top, int topMax);
