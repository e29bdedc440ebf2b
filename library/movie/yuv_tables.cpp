// The YCbCr to RGB colour tables, built once at library start.
#include "library/movie/theora_decoder.h"

YUVTABLES g_yuvTables;

int BuildYuvToRgbTables() {
    YUVTABLES &t = g_yuvTables;
    for (int i = 0; i < 256; i++) {
        t.y[i] = 19070 * (i - 16);
        t.rv[i] = 26148 * (i - 128);
        t.gu[i] = -6406 * (i - 128);
        t.gv[i] = -13320 * (i - 128);
        t.bu[i] = 33062 * (i - 128);
    }
    for (int i = -512; i < 768; i++) t.clamp[i + 512] = (uint8_t)(i < 0 ? 0 : i > 255 ? 255 : i);
    t.built = 1;
    return 0;
}
