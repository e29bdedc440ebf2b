// Text drawing: the pen walk over a string's characters and the two ways glyphs reach the target.
#include "library/graphics/text_draw.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "library/base/log.h"
#include "library/base/pump.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_device.h"
#include "library/graphics/text_link.h"


namespace {

constexpr int kFormatBufferBytes = 2048;
constexpr int kEdgeBit = 1;
constexpr int kAntialiasBit = 2;

bool IsSpace(const unsigned char *c, int length) {
    return (length == 1 && c[0] == 0x20) || (length == 2 && c[0] == 0x81 && c[1] == 0x40);
}

bool LeadByte(const unsigned char *p, int charSet) {
    if (g_textLink.isLeadByte != nullptr) return g_textLink.isLeadByte(p, charSet) != 0;
    if (charSet == 2) return p[0] >= 0x80;
    return (p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC);
}

// A lead byte before the terminating zero stands alone.
int CharLength(const unsigned char *p, int charSet) { return p[1] != 0 && LeadByte(p, charSet) ? 2 : 1; }

// 0x00RRGGBB of a colour code, times the current brightness.
uint32_t ModulatedRGB(uint32_t code, const COLOURFORMAT *format) {
    int r, g, b;
    if (format != nullptr)
        SplitColourCode(format, code, &r, &g, &b, nullptr);
    else
        SplitScreenColour(code, &r, &g, &b);
    uint32_t br = g_drawState.brightness;
    r = r * (int)(br >> 16 & 0xFF) / 255;
    g = g * (int)(br >> 8 & 0xFF) / 255;
    b = b * (int)(br & 0xFF) / 255;
    return (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
}

uint32_t ColourCodeOf(const COLOURFORMAT *format, uint32_t rgb) {
    return MakeColourCode(format, (int)(rgb >> 16 & 0xFF), (int)(rgb >> 8 & 0xFF), (int)(rgb & 0xFF), 255);
}

void DrawTextureGlyph(const TEXTFONTINFO &info, const TEXTGLYPH &g, int left, int top, int vertical,
                      uint32_t textRGB, uint32_t edgeRGB) {
    const TEXTLINK &k = g_textLink;
    if (k.drawGraphPart == nullptr || k.drawGraphCorners == nullptr) return;
    uint32_t savedBright = g_drawState.brightness;
    int savedGraph = g_drawState.blendGraph, savedBorder = g_drawState.blendGraphParam;
    int savedRange = g_drawState.blendGraphRange;
    // Off with the border kept: a text without blend graph then changes nothing per glyph.
    if (k.setBlendGraph) k.setBlendGraph(-1, savedBorder, savedRange);
    DRAWAREA savedArea = g_drawArea;
    bool edged = (info.fontType & kEdgeBit) != 0;
    for (int pass = edged ? 0 : 1; pass < 2; ++pass) {
        int graph = pass == 0 ? info.edgeCacheGraph : info.cacheGraph;
        SetBrightnessColour(0xFF000000u | (pass == 0 ? edgeRGB : textRGB));
        if (!vertical) {
            k.drawGraphPart(left, top, g.cacheX, g.cacheY, g.width, g.height, graph);
            continue;
        }
        // The whole graph turned a quarter clockwise, clipped to the glyph's rectangle.
        g_drawArea = MakeDrawArea(left - 1, top, left + g.height + 1, top + g.width);
        float gw = (float)info.cacheWidth * (pass == 1 && edged ? 2 : 1), gh = (float)info.cacheHeight;
        float xr = (float)(left + g.height + g.cacheY), y0 = (float)(top - g.cacheX);
        const float xs[4] = {xr - 0.5f, xr - 0.5f, xr - gh - 0.5f, xr - gh - 0.5f};
        const float ys[4] = {y0 - 0.5f, y0 + gw - 0.5f, y0 + gw - 0.5f, y0 - 0.5f};
        k.drawGraphCorners(xs, ys, graph);
        g_drawArea = savedArea;
    }
    if (k.setBlendGraph) k.setBlendGraph(savedGraph, savedBorder, savedRange);
    SetBrightnessColour(savedBright);
}

}  // namespace

int RenderFontString(int drawFlag, int x, int y, const char *text, uint32_t colour, MEMIMG *image, const RECT *area,
                     int font, uint32_t edgeColour, int byteCount, int vertical, SIZE *sizeOut) {
    TEXTFONTINFO info{};
    if (g_drawState.drawingSuppressed || text == nullptr || g_textLink.fontInfo == nullptr ||
        g_textLink.glyph == nullptr || g_textLink.fontInfo(font, &info) != 0)
        return -1;
    int length = (int)strlen(text);
    if (byteCount < 0 || byteCount > length) byteCount = length;
    const COLOURFORMAT *format = IsMemImgValid(image) ? image->base->colourFormat : nullptr;
    uint32_t textRGB = ModulatedRGB(colour, format), edgeRGB = ModulatedRGB(edgeColour, format);
    if (g_textLink.cacheGlyphs) g_textLink.cacheGlyphs(font, text, byteCount);

    const auto *p = (const unsigned char *)text;
    int pen = 0;
    for (int i = 0; i < byteCount;) {
        int n = CharLength(p + i, info.charSet);
        TEXTGLYPH g{};
        if (g_textLink.glyph(font, p + i, n, &g) != 0) {
            WriteLog("テキストキャッシュの作成に失敗しました\n");
            return -1;
        }
        if (drawFlag && !IsSpace(p + i, n) && g.width > 0 && g.height > 0) {
            int left, top;
            if (vertical) {
                left = x + info.cellHeight - g.yOffset - g.height;
                top = y + pen + g.xOffset;
            } else {
                left = x + pen + g.xOffset;
                top = y + g.yOffset;
            }
            if (info.textureCache)
                DrawTextureGlyph(info, g, left, top, vertical, textRGB, edgeRGB);
            else if (image != nullptr && area != nullptr)
                WriteGlyphToMemImg(image, *area, left, top, vertical, g.bits, info.fontType, textRGB, edgeRGB);
        }
        pen += g.advance + info.charGap;
        i += n;
    }
    if (sizeOut != nullptr) {
        sizeOut->cx = vertical ? info.cellHeight : pen;
        sizeOut->cy = vertical ? pen : info.cellHeight;
    }
    return pen;
}

int MeasureTextWithFont(const char *text, int byteCount, int font, int vertical) {
    return RenderFontString(0, 0, 0, text, 0, nullptr, nullptr, font, 0, byteCount, vertical, nullptr);
}

int DrawTextOnTexturePath(int font, const char *text, int x, int y, uint32_t colour, uint32_t edgeColour,
                          int vertical) {
    if (g_textLink.prepareTextureCache) g_textLink.prepareTextureCache(font);
    RECT area{g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom};
    RenderFontString(1, x, y, text, colour, nullptr, &area, font, edgeColour, -1, vertical, nullptr);
    return 0;
}

int DrawTextOnMemImgPath(int font, int y, int x, const char *text, uint32_t colour, uint32_t edgeColour,
                         int vertical) {
    TEXTFONTINFO info{};
    MEMIMG *screen = g_textLink.screenImage ? g_textLink.screenImage() : nullptr;
    if (!IsMemImgValid(screen) || g_textLink.fontInfo == nullptr || g_textLink.fontInfo(font, &info) != 0) return 0;
    RECT area{g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom};
    bool antialiased = (info.fontType & kAntialiasBit) != 0;
    bool plainBlend = g_drawState.blendMode == BLENDMODE_NONE ||
                      (g_drawState.blendMode == BLENDMODE_ALPHA && g_drawState.blendParam == 255);
    if (plainBlend && !antialiased) {
        RenderFontString(1, x, y, text, colour, screen, &area, font, edgeColour, -1, vertical, nullptr);
        return 0;
    }

    SIZE size{};
    if (RenderFontString(0, 0, 0, text, colour, nullptr, nullptr, font, edgeColour, -1, vertical, &size) < 0)
        return 0;
    MEMIMG *work = g_textLink.workImage ? g_textLink.workImage(antialiased ? 1 : 0) : nullptr;
    if (!IsMemImgValid(work) || g_textLink.blitMemImg == nullptr) return 0;
    int w = size.cx < work->width ? (int)size.cx : work->width;
    int h = size.cy < work->height ? (int)size.cy : work->height;
    if (w <= 0 || h <= 0) return 0;
    // The clear colour must differ from the codes the glyphs are written in (after the
    // brightness), so that the blit's transparency test keeps them.
    uint32_t clear = 0;
    if (!antialiased) {
        const COLOURFORMAT *f = work->base->colourFormat;
        uint32_t text = ColourCodeOf(f, ModulatedRGB(colour, f)), edge = ColourCodeOf(f, ModulatedRGB(edgeColour, f));
        while (clear == text || clear == edge) ++clear;
    }
    work->base->transparentCode = clear;
    RECT textRect{0, 0, w, h};
    FillMemImg(work, &textRect, clear);
    RenderFontString(1, 0, 0, text, colour, work, &textRect, font, edgeColour, -1, vertical, nullptr);

    uint32_t savedBright = g_drawState.brightness;
    DRAWAREA savedArea = g_drawArea;
    SetBrightnessColour(0xFFFFFF);
    DRAWAREA narrowed = MakeDrawArea(x > savedArea.left ? x : savedArea.left, y > savedArea.top ? y : savedArea.top,
                                     x + w < savedArea.right ? x + w : savedArea.right,
                                     y + h < savedArea.bottom ? y + h : savedArea.bottom);
    if (narrowed.left < narrowed.right && narrowed.top < narrowed.bottom) {
        g_drawArea = narrowed;
        g_textLink.blitMemImg(screen, work, x, y, 1, g_textLink.blendImage ? g_textLink.blendImage() : nullptr);
    }
    g_drawArea = savedArea;
    SetBrightnessColour(savedBright);
    return 0;
}

int DrawTextWithFont(int x, int y, const char *text, uint32_t colour, int font, uint32_t edgeColour, int vertical) {
    if (text == nullptr || text[0] == 0 || g_drawState.drawingSuppressed || g_drawState.emptyArea) return 0;
    TEXTFONTINFO info{};
    if (g_textLink.fontInfo == nullptr || g_textLink.fontInfo(font, &info) != 0) {
        WriteLog("フォントハンドル値が異常です\n");
        return -1;
    }
    WaitWhileInactive();
    if ((g_drawState.blendMode == BLENDMODE_SUB && info.textureCache) || g_drawState.drawTarget == -4) {
        if (x >= g_drawArea.right) return 0;
    }
    if (!info.textureCache) return DrawTextOnMemImgPath(font, y, x, text, colour, edgeColour, vertical);
    bool passes = g_drawState.blendMode == BLENDMODE_SUB && !RenderDeviceHasBlendOp();
    int x2 = vertical ? x + info.size + 3 : g_drawArea.right;
    int y2 = vertical ? g_drawArea.bottom : y + info.size + 3;
    if (passes) BlendGraphPrePass(x, y, x2, y2);
    int result = DrawTextOnTexturePath(font, text, x, y, colour, edgeColour, vertical);
    if (passes) BlendGraphPostPass(x, y, x2, y2);
    return result;
}

int DrawFormattedText(int x, int y, uint32_t colour, const char *format, ...) {
    char text[kFormatBufferBytes];
    va_list args;
    va_start(args, format);
    // Bounded: a longer result is cut at 2,047 bytes.
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) return -1;
    // A cut must not leave half of a two-byte character at the end.
    if (n >= (int)sizeof text) {
        int i = 0, last = (int)sizeof text - 1;
        const auto *p = (const unsigned char *)text;
        while (i < last) {
            int len = LeadByte(p + i, 1) ? 2 : 1;
            if (i + len > last) break;
            i += len;
        }
        text[i] = 0;
    }
    int font = g_textLink.defaultFont ? g_textLink.defaultFont() : -1;
    return DrawTextWithFont(x, y, text, colour, font, 0, 0);
}
