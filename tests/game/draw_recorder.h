// A recording stand-in for the game's drawing calls: every part, point, stretched draw and
// brightness change goes into one list, and image loads hand out numbered handles
// (1000, 1001, ... in load order) whose file names the recorder keeps. Effect sounds played
// are kept too.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"

struct DrawCall {
    enum Kind { PART, AT, STRETCH, BRIGHT, ROTATED } kind;
    int x = 0, y = 0;        // destination (stretch: top-left); bright: r, g
    int w = 0, h = 0;        // part: size; stretch: bottom-right; bright: b in w
    int sx = 0, sy = 0;      // part: source
    int graph = 0;
    int trans = 0;
    double angle = 0;        // rotated: the turn in radians (the graph's centre at x, y)
    bool operator==(const DrawCall &o) const {
        return kind == o.kind && x == o.x && y == o.y && w == o.w && h == o.h && sx == o.sx && sy == o.sy &&
               graph == o.graph && trans == o.trans && angle == o.angle;
    }
};

inline DrawCall Part(int x, int y, int sx, int sy, int w, int h, int graph, int trans) {
    return {DrawCall::PART, x, y, w, h, sx, sy, graph, trans};
}
inline DrawCall At(int x, int y, int graph, int trans) { return {DrawCall::AT, x, y, 0, 0, 0, 0, graph, trans}; }
inline DrawCall Stretch(int x1, int y1, int x2, int y2, int graph, int trans) {
    return {DrawCall::STRETCH, x1, y1, x2, y2, 0, 0, graph, trans};
}
inline DrawCall Bright(int r, int g, int b) { return {DrawCall::BRIGHT, r, g, b, 0, 0, 0, 0, 0}; }
inline DrawCall Rotated(int x, int y, double angle, int graph, int trans) {
    return {DrawCall::ROTATED, x, y, 0, 0, 0, 0, graph, trans, angle};
}

inline std::ostream &operator<<(std::ostream &os, const DrawCall &d) {
    switch (d.kind) {
    case DrawCall::PART:
        return os << "part(" << d.x << "," << d.y << " from " << d.sx << "," << d.sy << " " << d.w << "x" << d.h
                  << " g" << d.graph << " t" << d.trans << ")";
    case DrawCall::AT: return os << "at(" << d.x << "," << d.y << " g" << d.graph << " t" << d.trans << ")";
    case DrawCall::STRETCH:
        return os << "stretch(" << d.x << "," << d.y << "-" << d.w << "," << d.h << " g" << d.graph << " t" << d.trans
                  << ")";
    case DrawCall::BRIGHT: return os << "bright(" << d.x << "," << d.y << "," << d.w << ")";
    case DrawCall::ROTATED:
        return os << "rotated(" << d.x << "," << d.y << " by " << d.angle << " g" << d.graph << " t" << d.trans << ")";
    }
    return os;
}

struct DrawRecord {
    std::vector<DrawCall> calls;
    std::vector<std::string> loaded; // file of handle 1000 + i
    std::vector<int> destroyed;
    std::vector<int> sounds; // effect numbers in play order
    int nextSub = 5000;

    // The handle a file got at its first load; -1 when it was never loaded.
    int HandleOf(const std::string &file) const {
        for (size_t i = 0; i < loaded.size(); i++)
            if (loaded[i] == file) return 1000 + (int)i;
        return -1;
    }
    // The calls drawn from one graph.
    std::vector<DrawCall> From(int graph) const {
        std::vector<DrawCall> out;
        for (const DrawCall &c : calls)
            if (c.graph == graph && c.kind != DrawCall::BRIGHT) out.push_back(c);
        return out;
    }
};

inline DrawRecord &Recorded() {
    static DrawRecord r;
    return r;
}

// Puts the recorder in place of the drawing calls (and gives back the calls it replaced).
inline GameGraphicsCalls InstallDrawRecorder() {
    GameGraphicsCalls saved = GameGraphics();
    Recorded() = DrawRecord{};
    SetEffectSoundObserver([](int n) { Recorded().sounds.push_back(n); });
    GameGraphicsCalls &g = GameGraphics();
    g.openImageAsGraph = [](const char *path, int) {
        Recorded().loaded.push_back(path);
        return 1000 + (int)Recorded().loaded.size() - 1;
    };
    g.openImageAsDivGraphs = [](const char *path, int total, int, int, int, int, int *handles, int) {
        Recorded().loaded.push_back(path);
        int first = 1000 + (int)Recorded().loaded.size() - 1;
        for (int i = 0; i < total; i++) handles[i] = first * 100 + i;
        return 0;
    };
    g.createSubGraph = [](int, int, int, int, int) { return Recorded().nextSub++; };
    g.createBlankGraph = [](int, int) { return Recorded().nextSub++; };
    g.getDrawScreenGraph = [](int, int, int, int, int) { return 0; };
    g.destroyGraph = [](int graph) {
        Recorded().destroyed.push_back(graph);
        return 0;
    };
    g.drawGraphPart = [](int x, int y, int sx, int sy, int w, int h, int graph, int trans, int) {
        Recorded().calls.push_back(Part(x, y, sx, sy, w, h, graph, trans));
        return 0;
    };
    g.drawGraphAt = [](int x, int y, int graph, int trans) {
        Recorded().calls.push_back(At(x, y, graph, trans));
        return 0;
    };
    g.drawGraphStretched = [](int x1, int y1, int x2, int y2, int graph, int trans) {
        Recorded().calls.push_back(Stretch(x1, y1, x2, y2, graph, trans));
        return 0;
    };
    g.drawGraphRotatedAt = [](int x, int y, double, double angle, int graph, int trans, int) {
        Recorded().calls.push_back(Rotated(x, y, angle, graph, trans));
        return 0;
    };
    g.setBrightnessRGB = [](int r, int gr, int b) {
        Recorded().calls.push_back(Bright(r, gr, b));
        return 0;
    };
    return saved;
}

inline std::vector<DrawCall> TakeRecordedCalls() {
    std::vector<DrawCall> c;
    c.swap(Recorded().calls);
    return c;
}

inline void RemoveDrawRecorder(const GameGraphicsCalls &saved) {
    SetEffectSoundObserver(nullptr);
    GameGraphics() = saved;
}

// The recorder in place for the test's life.
class DrawRecorderTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = InstallDrawRecorder(); }
    void TearDown() override { RemoveDrawRecorder(saved_); }

    std::vector<DrawCall> &Calls() { return Recorded().calls; }
    std::vector<int> TakeSounds() {
        std::vector<int> s;
        s.swap(Recorded().sounds);
        return s;
    }
    std::vector<DrawCall> TakeCalls() { return TakeRecordedCalls(); }

    GameGraphicsCalls saved_;
};
