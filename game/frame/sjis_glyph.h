// Which cell of the Shift-JIS font sheets holds a double-byte character. The three sheets hold
// 5,120 cells of 8 x 16; the demo data's sheet writer and the overlay's drawing share the rule.
#pragma once

constexpr int kSjisGlyphCells = 5120;

// Cell of the double-byte code lead * 256 + trail, or -1 when the sheets have none: codes below
// 0x8140 and the upper kanji whose rule reaches past the last cell.
inline int SjisGlyphIndex(int code)
{
    int i;
    if (code >= 0x92C0) {
        int d = code - 0x92C0;
        i = d + 64 * (48 - (d + 192) / 256);
    } else if (code >= 0x8840) {
        int d = code - 0x8840;
        i = d + 64 * (16 - d / 256);
    } else if (code >= 0x8340) {
        i = code - 0x81C0;
    } else if (code >= 0x8250) {
        i = code - 0x8180;
    } else if (code >= 0x8140) {
        i = code - 0x8140;
    } else {
        return -1;
    }
    return i >= 0 && i < kSjisGlyphCells ? i : -1;
}
