// A reference model of the software kernels, written from the per-channel descriptions and
// nothing else: one function per pixel, 64-bit arithmetic, products divided by 255 directly,
// the packed add and subtract as what they do to each channel, and each kernel's exceptions
// as a policy. The tests compare the kernels with it byte for byte.
#pragma once

#include <cstdint>
#include <vector>

#include "library/graphics/memimg.h"

namespace softtest {

// Which kernel's exceptions apply.
enum ORACLEPOLICY {
    POLICY_BLIT,       // 1:1, per-pixel loops: its fast paths
    POLICY_BLIT_RUNS,  // 1:1 through the run-length table: no fast paths
    POLICY_STRETCH,    // stretched: only the subtract at p = 255 has a path of its own
    POLICY_ROTATED,    // rotated: the shape kernels' rules
    POLICY_TRIANGLE,   // triangle: the shape kernels' rules and 16-bit mode 11's green fraction
};

// The draw settings of a call, read from the globals (mode, parameter, bright colour, MMX flag)
// and the blend-graph weights computed from the border and range given.
struct ORACLESETTINGS {
    int mode, p;
    uint32_t bright;
    int mmx;
    int transparent;
    const MEMIMG *graph;  // or null
    int weights[256];
};
ORACLESETTINGS OracleSettings(int transparent, const MEMIMG *graph, int border, int range);

// Pixel (x, y) of a view, its bytes as a little-endian word.
uint32_t ReadPixel(const MEMIMG &m, int x, int y);

// The destination pixel d after source pixel (sx, sy) lands on it (d itself when untouched).
// graphX/graphY: where the blend graph is read (the source position).
uint32_t OracleCopyPixel(ORACLEPOLICY policy, const ORACLESETTINGS &s, const MEMIMG &src, int sx, int sy, uint32_t d);

// The whole destination body after each kernel, from a copy of its bytes; the draw area is
// g_drawArea, also clipped to the destination view.
std::vector<uint8_t> OracleBlit(const MEMIMG &dst, const MEMIMG &src, int x, int y, const ORACLESETTINGS &s);
std::vector<uint8_t> OracleStretch(const MEMIMG &dst, const MEMIMG &src, const RECT &rect, const ORACLESETTINGS &s);
std::vector<uint8_t> OracleFill(const MEMIMG &dst, const RECT *rect, uint32_t colour);
// The destination pixel d under a flat triangle's colour (of its format, tinted through / 255).
uint32_t OracleFlatPixel(const ORACLESETTINGS &s, bool wide, uint32_t colour, uint32_t d);
// The rotated kernel at the quarter turns, where its fixed-point map is exact: cosine and sine
// of the angle as -1, 0 or 1, and a scale of 1, 2 or 0.5.
std::vector<uint8_t> OracleRotated(const MEMIMG &dst, const MEMIMG &src, int x, int y, int cosine, int sine,
                                   double scale, const ORACLESETTINGS &s);

// The source column destination column m (counted from the unclipped edge) of a stretch shows.
int StretchSourceColumn(int m, int dstSize, int srcSize, bool mirrored);

}  // namespace softtest
