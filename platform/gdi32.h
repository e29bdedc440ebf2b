// Graphics device interface of the stand-in layer: what the library asks of the screen's
// device context and the stock objects.
#pragma once

#include "platform/windef.h"

#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define VREFRESH 116

// On the screen's context: the virtual desktop's size and depth.
int GetDeviceCaps(HDC dc, int index);

#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define NULL_BRUSH 5

HGDIOBJ GetStockObject(int index);
