// Writes the image fuzz drivers' corpus into a folder: every reader fixture whole, cut in half
// and with bytes changed, the tiny files that name gigantic pictures, and files no reader
// takes (refused at the magic check).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "graphics/image_fixtures.h"

namespace {

void Write(const std::filesystem::path &folder, const std::string &name, const Bytes &bytes) {
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), (long)bytes.size());
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int count = 0;
    for (const NamedFixture &f : AllImageFixtures()) {
        Write(folder, f.name, f.bytes);
        Write(folder, f.name + ".half", Bytes(f.bytes.begin(), f.bytes.begin() + (long)f.bytes.size() / 2));
        // A spread of single bytes inverted, header bytes first.
        for (size_t i = 0; i < f.bytes.size(); i += i < 32 ? 3 : f.bytes.size() / 8 + 1) {
            Bytes bad = f.bytes;
            bad[i] ^= 0xFF;
            Write(folder, f.name + ".flip" + std::to_string(i), bad);
            ++count;
        }
        count += 2;
    }
    for (const NamedFixture &f : HugeHeaderFixtures()) {
        Write(folder, f.name, f.bytes);
        ++count;
    }
    Write(folder, "empty", {});
    Write(folder, "text", Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    Write(folder, "bm-only", Bytes{'B', 'M'});
    count += 3;
    std::printf("%d files written\n", count);
    return 0;
}
