// A recording renderer in place of GameGraphics()'s part draws and brightness: each draw is kept
// with the brightness it was made under. Constructing one installs it; destroying it restores the
// table.
#pragma once

#include <ostream>
#include <vector>

#include "game/frame/game_graphics.h"

struct RecordedDraw {
    int graph;
    int srcX, srcY, width, height;
    int x, y;
    int r, g, b; // brightness
    bool operator==(const RecordedDraw &o) const {
        return graph == o.graph && srcX == o.srcX && srcY == o.srcY && width == o.width && height == o.height &&
               x == o.x && y == o.y && r == o.r && g == o.g && b == o.b;
    }
};

inline std::ostream &operator<<(std::ostream &os, const RecordedDraw &d)
{
    return os << "graph " << d.graph << " src (" << d.srcX << ", " << d.srcY << ") " << d.width << "x" << d.height
              << " at (" << d.x << ", " << d.y << ") bright " << d.r << "," << d.g << "," << d.b;
}

class RecordingRenderer {
public:
    RecordingRenderer() : saved_(GameGraphics()) {
        current_ = this;
        GameGraphics().drawGraphPart = [](int x, int y, int srcX, int srcY, int w, int h, int graph, int, int) {
            const int *c = current_->brightness;
            current_->draws.push_back({graph, srcX, srcY, w, h, x, y, c[0], c[1], c[2]});
            return 0;
        };
        GameGraphics().setBrightnessRGB = [](int r, int g, int b) {
            current_->brightness[0] = r;
            current_->brightness[1] = g;
            current_->brightness[2] = b;
            return 0;
        };
    }
    ~RecordingRenderer() {
        GameGraphics() = saved_;
        current_ = nullptr;
    }
    RecordingRenderer(const RecordingRenderer &) = delete;
    RecordingRenderer &operator=(const RecordingRenderer &) = delete;

    std::vector<RecordedDraw> draws;
    int brightness[3] = {255, 255, 255};

private:
    static inline RecordingRenderer *current_ = nullptr;
    GameGraphicsCalls saved_;
};
