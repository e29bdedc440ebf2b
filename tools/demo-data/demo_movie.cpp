// The viewer's demo movie: five seconds of moving pictures at 320 x 240 with a tone. The game
// loads no movie.
#include "tools/demo-data/demo_art.h"
#include "tools/oggwrite/theora_write.h"

namespace {

void WriteDemoMovie(const DemoOptions &options) {
    TheoraSpec spec;
    spec.width = 320;
    spec.height = 240;
    spec.fpsNumerator = 30;
    spec.frames = 150;
    spec.keyframeInterval = 30;
    spec.sound = true;
    spec.toneHz = 440.0;
    WriteFileBytes(options.data / "demo.ogv", EncodeOggTheora(spec));
}

}  // namespace

DEMO_WRITER("movie", 10, WriteDemoMovie);
