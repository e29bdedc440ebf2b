// Writes the model file fuzz driver's corpus into a folder: the model file fixtures of every
// packing whole, cut, with bytes of their unpacked bodies changed and repacked, and with header
// words naming huge counts or offsets past the end.
#include "library/base/lz.h"
#include "library/model/mv1_format.h"
#include "model/mv1_fixtures.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

void Write(const std::filesystem::path &folder, const std::string &name, const Bytes &bytes) {
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), (long)bytes.size());
}

Bytes Unpacked(const Bytes &file) {
    uint32_t decoded;
    std::memcpy(&decoded, file.data() + 4, 4);
    Bytes image(file.begin(), file.begin() + 4);
    image.resize(decoded + 4);
    DecodeLzBlock(file.data() + 4, file.size() - 4, image.data() + 4, decoded);
    return image;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    std::filesystem::create_directories(folder);
    if (!StartToolLibrary()) return 1;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder);  // the minimal file's texture lands beside it
    MV1WRITEOPTIONS quantised, packed, keys;
    keys.packKeys = true;
    quantised.quantisePositions = true;
    packed.normals = 1, packed.uvU16 = true, packed.shareColours = true, packed.boneU16 = true, packed.weightU16 = true;
    const struct {
        const char *name;
        Bytes file;
    } fixtures[] = {{"minimal", MinimalMV1File()},
                    {"minimal-packed", MinimalMV1File(packed)},
                    {"skinned", SkinnedMV1File({})},
                    {"skinned-quantised", SkinnedMV1File(quantised)},
                    {"animated", SkinnedMV1File(keys, true)}};
    std::filesystem::current_path(here);
    EndToolLibrary();
    for (const auto &f : fixtures) {
        if (f.file.size() < 13) return 1;
        const std::string name = std::string(f.name) + ".mv1";
        Write(folder, name, f.file);
        for (size_t cut : {f.file.size() / 2, f.file.size() - 1, (size_t)12})
            Write(folder, name + ".cut" + std::to_string(cut), Bytes(f.file.begin(), f.file.begin() + (long)cut));
        const Bytes image = Unpacked(f.file);
        for (size_t i = 4; i < image.size(); i += i < MV1_HEADER_BYTES ? 4 : image.size() / 24 + 1) {
            Bytes bad = image;
            bad[i] ^= 0xFF;
            Write(folder, name + ".flip" + std::to_string(i), PackMV1Image(bad));
        }
        for (size_t at = 8; at < MV1_HEADER_BYTES; at += 4) {
            Bytes bad = image;
            const uint32_t huge = at % 8 ? 0x7FFFFFFFu : (uint32_t)image.size();
            std::memcpy(bad.data() + at, &huge, 4);
            Write(folder, name + ".word" + std::to_string(at), PackMV1Image(bad));
        }
    }
    return 0;
}
