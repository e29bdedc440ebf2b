// demo-data-gen FOLDER: writes the images, sounds, music and maps the game loads, made by code.
// Each kind of file has its writer in a file of its own here (registered with DEMO_WRITER).
// Text comes from the packaged Japanese font through FreeType when it is there; without it the
// font sheets and captions are left blank and everything else is still written.
#include <cstdio>
#include <cstring>

#include "tools/demo-data/demo_art.h"

int main(int argc, char **argv) {
    DemoOptions options;
    const char *folder = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--short-music") == 0) options.shortMusic = true;
        else folder = argv[i];
    }
    if (!folder) {
        fprintf(stderr, "usage: demo-data-gen [--short-music] FOLDER\n  writes FOLDER/DataForWork/...\n");
        return 2;
    }
    if (!OpenFont()) fprintf(stderr, "demo-data-gen: no Japanese font found; text is left blank\n");
    options.folder = folder;
    options.data = options.folder / "DataForWork";
    fs::create_directories(options.data);
    RunDemoWriters(options);
    CloseFont();
    return 0;
}
