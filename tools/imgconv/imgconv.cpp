// imgconv: any image the library reads, written as PNG (RGBA when the image has alpha, else RGB).
// The input goes through the library's own reader chain, so what this shows is what the game gets.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "library/graphics/image_load.h"
#include "library/graphics/pixel_convert.h"
#include "tools/imagewrite/image_write.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: imgconv INPUT OUTPUT.png\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "imgconv: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    BASEIMAGE image;
    if (LoadImageToBaseImage(nullptr, file.data(), (int)file.size(), 1, &image, 0) != 0) {
        std::fprintf(stderr, "imgconv: no reader accepts %s\n", argv[1]);
        return 1;
    }
    if (ExpandCompressedImage(&image) != 0) {
        std::fprintf(stderr, "imgconv: out of memory\n");
        FreeBaseImage(&image);
        return 1;
    }
    bool alpha = image.colourFormat.alphaWidth != 0;
    BASEIMAGE argb;
    if (AllocBaseImageARGB8(image.width, image.height, &argb) != 0) {
        std::fprintf(stderr, "imgconv: out of memory\n");
        FreeBaseImage(&image);
        return 1;
    }
    CopyBaseImageRect(0, 0, image.width, image.height, 0, 0, &image, &argb);
    PngSpec spec;
    spec.width = image.width;
    spec.height = image.height;
    spec.colourType = alpha ? 6 : 2;
    for (int y = 0; y < argb.height; ++y) {
        const uint8_t *row = argb.pixels + (size_t)y * argb.pitch;
        for (int x = 0; x < argb.width; ++x) {
            const uint8_t *p = row + (size_t)x * 4;  // blue, green, red, alpha
            spec.pixels.insert(spec.pixels.end(), {p[2], p[1], p[0]});
            if (alpha) spec.pixels.push_back(p[3]);
        }
    }
    std::printf("%s: %d x %d, %d bits%s\n", argv[1], image.width, image.height, image.colourFormat.bitsPerPixel,
                alpha ? ", alpha" : "");
    FreeBaseImage(&argb);
    FreeBaseImage(&image);
    std::vector<uint8_t> png = EncodePng(spec);
    std::ofstream out(argv[2], std::ios::binary);
    out.write((const char *)png.data(), (std::streamsize)png.size());
    if (!out) {
        std::fprintf(stderr, "imgconv: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
