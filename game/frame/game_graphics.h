// The drawing calls the game frame makes, gathered in one table over the library's entries, so
// that tests can put recorders in their place.
#pragma once

constexpr int kBackPage = -2;

struct GameGraphicsCalls {
    int (*setDrawTarget)(int target);
    int (*clearDrawTarget)();
    int (*clearScreen)();
    int (*presentBackScreen)();
    int (*setTransparentKey)(int r, int g, int b);
    int (*openImageAsGraph)(const char *path, int transparency);
    int (*openImageAsDivGraphs)(const char *path, int total, int columns, int rows, int cellWidth, int cellHeight,
                                int *handles, int transparency);
    int (*destroyGraph)(int graph);
    int (*createBlankGraph)(int width, int height);
    int (*getDrawScreenGraph)(int x1, int y1, int x2, int y2, int graph);
    int (*drawGraphStretched)(int x1, int y1, int x2, int y2, int graph, int transparency);
    int (*drawGraphAt)(int x, int y, int graph, int transparency);
    int (*drawGraphPart)(int x, int y, int srcX, int srcY, int width, int height, int graph, int transparency,
                         int turn);
    int (*createSubGraph)(int x, int y, int width, int height, int parent);
    // Multiplies what is drawn next by the colour (255: unchanged; 0, 0, 0: black).
    int (*setBrightnessRGB)(int r, int g, int b);
    // The graph's centre at (x, y), scaled and turned by the angle (radians).
    int (*drawGraphRotatedAt)(int x, int y, double scale, double angle, int graph, int transparency, int turn);
    // "ロード中" at (560, 440) in white on the back screen.
    void (*drawLoadingText)();
};

GameGraphicsCalls &GameGraphics();
