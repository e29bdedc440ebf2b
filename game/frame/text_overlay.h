// The frame's queue of texts drawn with the game's bitmap fonts. Modules append entries while
// they draw; the flush at the end of the frame's drawing draws them in order, on top of
// everything else, and empties the queue.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "game/frame/sjis_glyph.h"

// Glyph table layout: the Shift-JIS cells, then 256 ASCII cells, then the ten digits.
constexpr int kAsciiGlyphBase = kSjisGlyphCells;
constexpr int kDigitGlyphBase = kAsciiGlyphBase + 256;
constexpr int kGlyphCount = kDigitGlyphBase + 10;

struct OverlayEntry {
    int x = 0, y = 0;
    int kind = 0;   // 1 ASCII 8 x 8, 2 Shift-JIS 8 x 16, 3 number
    int number = 0; // kind 3
    std::string text; // at most 255 bytes
    int limit = 0;
};

class TextOverlay {
public:
    TextOverlay() { glyphs_.fill(-1); }

    // Cuts the five font sheets into the glyph table; a sheet that does not load leaves its
    // cells at -1, and those glyphs draw nothing.
    void LoadOverlayFonts();
    void FreeOverlayFonts();

    void AddText(int x, int y, const char *text) { Add(x, y, 1, 0, text, 9999); }
    void AddNumber(int x, int y, int number) { Add(x, y, 3, number, "", 0); }
    void AddSjisText(int x, int y, const char *text) { Add(x, y, 2, 0, text, 256); }
    void AddSjisTextLimited(int x, int y, const char *text, int limit) { Add(x, y, 2, 0, text, limit); }
    // Three full-width digits with leading zeros; numbers outside 0..999 are held to it.
    void AddSjisNumber(int x, int y, int number);
    void Flush();
    void FreeEntries() { entries_.clear(); }
    const std::vector<OverlayEntry> &Entries() const { return entries_; }
    int Glyph(int index) const { return index >= 0 && index < kGlyphCount ? glyphs_[index] : -1; }

private:
    void Add(int x, int y, int kind, int number, const char *text, int limit);
    void DrawEntry(const OverlayEntry &e) const;
    void DrawGlyph(int x, int y, int index) const;
    std::vector<OverlayEntry> entries_;
    std::array<int, kGlyphCount> glyphs_;
};
