#include "game/frame/text_overlay.h"

void TextOverlay::Add(int x, int y, int kind, int number, const char *text, int limit)
{
    OverlayEntry e;
    e.x = x;
    e.y = y;
    e.kind = kind;
    e.number = number;
    e.text.assign(text ? text : "");
    if (e.text.size() > 255) e.text.resize(255);
    e.limit = limit;
    entries_.push_back(std::move(e));
}

void TextOverlay::Flush() { entries_.clear(); }
