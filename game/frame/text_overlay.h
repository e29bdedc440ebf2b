// The frame's queue of texts drawn with the game's bitmap fonts. Modules append entries while
// they draw; the flush at the end of the frame's drawing draws them in order and empties the
// queue. Glyph drawing arrives with the overlay's own module; until then the flush only empties.
#pragma once

#include <string>
#include <vector>

struct OverlayEntry {
    int x = 0, y = 0;
    int kind = 0;   // 1 ASCII 8 x 8, 2 Shift-JIS 8 x 16, 3 number
    int number = 0; // kind 3
    std::string text; // at most 255 bytes
    int limit = 0;
};

class TextOverlay {
public:
    void AddText(int x, int y, const char *text) { Add(x, y, 1, 0, text, 9999); }
    void AddNumber(int x, int y, int number) { Add(x, y, 3, number, "", 0); }
    void AddSjisText(int x, int y, const char *text) { Add(x, y, 2, 0, text, 256); }
    void AddSjisTextLimited(int x, int y, const char *text, int limit) { Add(x, y, 2, 0, text, limit); }
    void Flush();
    void FreeEntries() { entries_.clear(); }
    const std::vector<OverlayEntry> &Entries() const { return entries_; }

private:
    void Add(int x, int y, int kind, int number, const char *text, int limit);
    std::vector<OverlayEntry> entries_;
};
