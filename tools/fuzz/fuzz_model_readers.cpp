// A libFuzzer-style entry point for one interchange model reader as LoadModel calls it (file
// image to read data to a model base): FUZZ_MODEL_X, _MQO or _PMD; or, for _VMD, the input as
// the motion numbered 000 beside a fixed PMD skeleton (three bones with a knee, an IK chain and
// one morph shape). Linked with fuzz_driver.cpp so that GCC builds can run a corpus by hand
// (fuzz_x corpus/ ...). The library starts once, headless; each input gets the 0 byte the model
// loader puts behind a file image and looks for textures and motions in an empty folder of its own.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "library/model/model.h"
#include "library/model/model_readers.h"
#include "model/pmd_fixture.h"
#include "tools/fuzz/fuzz_library.h"

namespace {

// The folder the readers look in, removed when the driver ends.
struct Folder {
    std::filesystem::path path;
    Folder() {
        path = std::filesystem::temp_directory_path() / ("kelmor-fuzz-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(path);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string &FolderPath() {
    static const Folder folder;
    static const std::string text = folder.path.string();
    return text;
}

#if defined(FUZZ_MODEL_VMD)
const std::string &Skeleton() {
    static const std::string bytes = [] {
        PmdFile f = PmdTriangle();
        f.bones = {{"leg"}, {"ひざ", 0, {0, -5, 0}}, {"ankle", 1, {0, -10, 0}}, {"target", 0xFFFF, {0, -8, 2}}};
        f.vertices[1].bone1 = 1, f.vertices[1].weight = 40;
        f.iks = {{3, 2, 8, 1, {1, 0}}};
        f.morphs = {{"base", {{0, {0, 0, 0}}}}, {"smile", {{0, {0, 1, 0}}}}};
        std::string image = f.Bytes();
        image.push_back('\0');
        return image;
    }();
    return bytes;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (!FuzzLibraryStarted() || size > 0x7FFFFFFF) return 0;
    const char *folder = FolderPath().c_str();
#if !defined(FUZZ_MODEL_VMD)
    std::vector<uint8_t> image(bytes, bytes + size);
    image.push_back(0);
    const int n = (int)size;
#endif
#if defined(FUZZ_MODEL_X)
    const int base = ReadXModel(image.data(), n, "fuzz.x", "fuzz", folder);
#elif defined(FUZZ_MODEL_MQO)
    const int base = ReadMqoModel(image.data(), n, "fuzz.mqo", "fuzz", folder);
#elif defined(FUZZ_MODEL_PMD)
    const int base = ReadPmdModel(image.data(), n, "fuzz.pmd", "fuzz", folder);
#elif defined(FUZZ_MODEL_VMD)
    const std::filesystem::path motion = std::filesystem::path(folder) / "skel000.vmd";
    std::ofstream(motion, std::ios::binary).write(reinterpret_cast<const char *>(bytes), (long)size);
    const std::string &skeleton = Skeleton();
    const int base = ReadPmdModel(skeleton.data(), (int)skeleton.size() - 1, "skel.pmd", "skel", folder);
    std::error_code ec;
    std::filesystem::remove(motion, ec);
#endif
    if (base != -1) ReleaseModelBase(base);
    return 0;
}
