// viewer: shows a picture file through the library, as the game would: the file becomes a
// graph, the graph is drawn on the back screen, the frame is shown, once a frame until Escape
// or the window closes. On the headless host a key script with "N save" (env
// KELMOR_KEY_SCRIPT, KELMOR_FRAME_DIR) writes the shown frame N as a PNG file.
//
//   viewer [--stretch | --corners] [--transparent] [--loading-text] [--bits N] [--frames N] FILE
//     --stretch        the picture fills the screen (else it stands at 1:1 in the top left)
//     --corners        the picture on four free corners, skewed, squashed and tilted (kCorners)
//     --transparent    the key colour (123, 250, 3) is left out
//     --loading-text   the game's loading text is drawn over the picture
//     --bits N         a screen of N colour bits (16 or 32; the library's default is 16)
//     --frames N       ends after N frames
// Prints "shown W x H" after the first frame is shown. Env KELMOR_NO_3D=1: no Direct3D device,
// the picture goes through the software renderer.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/frame/game_graphics.h"
#include "library/base/input.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/graph.h"
#include "library/graphics/screen.h"
#include "platform/kernel32/kernel32.h"

namespace {

constexpr int kEscape = 1;   // DirectInput code

// The four corners of --corners as fractions of the screen: top-left, top-right, bottom-right,
// bottom-left.
constexpr float kCorners[4][2] = {{0.15f, 0.1f}, {0.8f, 0.2f}, {0.95f, 0.85f}, {0.05f, 0.7f}};

int Usage(const char *self) {
    std::fprintf(stderr,
                 "usage: %s [--stretch | --corners] [--transparent] [--loading-text] [--bits N] [--frames N] FILE\n",
                 self);
    return 2;
}

int DrawCorners(int graph, int transparent, int screenWidth, int screenHeight) {
    float x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        x[i] = kCorners[i][0] * (float)screenWidth;
        y[i] = kCorners[i][1] * (float)screenHeight;
    }
    return DrawGraphCorners(x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3], graph, transparent);
}

}  // namespace

int main(int argc, char **argv) {
    bool stretch = false, corners = false, transparent = false, loadingText = false;
    long frames = -1, bits = 0;
    const char *file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stretch") == 0) stretch = true;
        else if (std::strcmp(argv[i], "--corners") == 0) corners = true;
        else if (std::strcmp(argv[i], "--bits") == 0 && i + 1 < argc) bits = std::strtol(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--transparent") == 0) transparent = true;
        else if (std::strcmp(argv[i], "--loading-text") == 0) loadingText = true;
        else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::strtol(argv[++i], nullptr, 10);
        else if (argv[i][0] != '-' && !file) file = argv[i];
        else return Usage(argv[0]);
    }
    if (!file || (stretch && corners) || (bits != 0 && bits != 16 && bits != 32)) return Usage(argv[0]);

    ChangeWindowMode(1);
    SetMainWindowTitle("Kelmor viewer");
    if (InitLibrary() == -1) {
        std::fprintf(stderr, "the library did not start (see Log.txt)\n");
        return 1;
    }
    if (bits) ChangeScreenMode(-1, -1, (int)bits, 0, -1);
    SetDrawTarget(BACK_PAGE);
    SetTransparentKey(123, 250, 3);
    int graph = OpenImageAsGraph(file, 0);
    if (graph == -1) {
        std::fprintf(stderr, "%s does not load as a graph (see Log.txt)\n", file);
        EndLibrary();
        return 1;
    }
    int width = 0, height = 0, screenWidth = 640, screenHeight = 480;
    GetGraphSize(graph, &width, &height);
    GetScreenExtent(&screenWidth, &screenHeight);

    long shown = 0;
    int status = 0;
    while (ProcessWindowMessages() == 0) {
        char keys[256];
        GetAllKeyStates(keys);
        if (keys[kEscape]) break;
        ClearDrawTarget();
        int drawn = stretch   ? DrawGraphStretched(0, 0, screenWidth, screenHeight, graph, transparent)
                    : corners ? DrawCorners(graph, transparent, screenWidth, screenHeight)
                              : DrawGraphAt(0, 0, graph, transparent);
        if (loadingText) GameGraphics().drawLoadingText();
        if (drawn != 0 || PresentBackScreen() != 0) {
            std::fprintf(stderr, "the frame was not shown\n");
            status = 1;
            break;
        }
        if (++shown == 1) {
            std::printf("shown %d x %d\n", width, height);
            std::fflush(stdout);
        }
        if (frames >= 0 && shown >= frames) break;
        Sleep(16);   // about one frame
    }
    DestroyGraph(graph);
    EndLibrary();
    return status;
}
