// The title menu: NEW GAME, CONTINUE, KEY CONFIG, with fixed keys (not the key bindings).
#pragma once

#include <array>
#include <cstdint>

class TitleMenu {
public:
    // One frame with the library's pad bits: 0 stay, else cursor + 1 of the chosen entry.
    int UpdateTitleMenu();
    int UpdateTitleMenuWith(int padBits);
    void DrawTitleMenu() const;

    int titleGraph = -1;
    int cursor = 0;
    std::array<int32_t, 16> padCounters{};
};
