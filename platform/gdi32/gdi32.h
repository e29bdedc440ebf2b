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

// ---- device-independent bitmaps -------------------------------------------------

#define BI_RGB 0
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define SRCCOPY 0x00CC0020u

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: top row first
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter, biYPelsPerMeter;
    DWORD biClrUsed, biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

// BI_BITFIELDS puts the red, green and blue masks where the colours start.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// On a window's context (GetDC) the pixels land in its client area, which the host shows.
// 16, 24 and 32 bits a pixel (BI_RGB, or BI_BITFIELDS for 16 and 32). Source y is the
// lower edge of the source rectangle counted from the image's bottom row, for top-down
// images too. Both return the lines drawn, 0 when nothing could be.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void *bits, const BITMAPINFO *info, UINT colourUse);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void *bits, const BITMAPINFO *info, UINT colourUse, DWORD rop);

// ---- fonts ----------------------------------------------------------------------

#define DEFAULT_CHARSET 1
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define NONANTIALIASED_QUALITY 3
#define FIXED_PITCH 1
#define FW_NORMAL 400
#define FW_BOLD 700

#define GGO_METRICS 0
#define GGO_BITMAP 1
#define GGO_GRAY4_BITMAP 5
#define GDI_ERROR 0xFFFFFFFFu

struct TEXTMETRICA {
    LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
    LONG tmAveCharWidth, tmMaxCharWidth, tmWeight, tmOverhang;
    LONG tmDigitizedAspectX, tmDigitizedAspectY;
    BYTE tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
    BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};

struct GLYPHMETRICS {
    UINT gmBlackBoxX, gmBlackBoxY;
    POINT gmptGlyphOrigin;  // y: up from the base line
    SHORT gmCellIncX, gmCellIncY;
};

struct FIXED {
    WORD fract;
    SHORT value;
};
struct MAT2 {
    FIXED eM11, eM12, eM21, eM22;
};

// A positive height is the cell height (ascent + descent). Face names are Shift-JIS.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Returns the object selected before (fonts only).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA *metrics);
// A double-byte character is lead x 256 + trail. Rows are padded to 4 bytes: GGO_BITMAP one bit
// a pixel, most significant first; GGO_GRAY4_BITMAP one byte a pixel, 0-16. Returns the size
// of the bitmap (0 for an empty glyph), or GDI_ERROR.
DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS *metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2 *matrix);
