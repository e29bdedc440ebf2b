// Drawing and measuring strings with a font handle.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"
#include "platform/windef.h"

// 0; -1 for a bad handle.
int DrawTextWithFont(int x, int y, const char *text, uint32_t colour, int font, uint32_t edgeColour, int vertical);
// With the default font, no edge colour, horizontal. The text is cut at 2,047 bytes.
int DrawFormattedText(int x, int y, uint32_t colour, const char *format, ...) __attribute__((format(printf, 4, 5)));
// Pen length of the first bytes (-1: all) in pixels, or -1.
int MeasureTextWithFont(const char *text, int byteCount, int font, int vertical);
// Draws into `image` within `area` when drawFlag is 1, else only measures. Pen length, or -1.
int RenderFontString(int drawFlag, int x, int y, const char *text, uint32_t colour, MEMIMG *image, const RECT *area,
                     int font, uint32_t edgeColour, int byteCount, int vertical, SIZE *sizeOut);
int DrawTextOnTexturePath(int font, const char *text, int x, int y, uint32_t colour, uint32_t edgeColour,
                          int vertical);
int DrawTextOnMemImgPath(int font, int y, int x, const char *text, uint32_t colour, uint32_t edgeColour,
                         int vertical);
