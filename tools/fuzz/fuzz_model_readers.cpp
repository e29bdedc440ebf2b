// A libFuzzer-style entry point for one model reader's fill step (FUZZ_MODEL_X, _MQO, _PMD or
// _VMD), linked with fuzz_driver.cpp so that GCC builds can run a corpus by hand (fuzz_x corpus/ ...). The input gets
// the 0 byte the model loader puts behind a file image. VMD motions are read against a fixed
// skeleton of three bones with a knee, an IK chain and one morph shape.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "library/base/memory.h"
#include "library/model/model_load_data.h"
#include "library/model/mqo_reader.h"
#include "library/model/pmd_reader.h"
#include "library/model/x_reader.h"

namespace {

[[maybe_unused]] int ReadMotion(const void *image, int size) {
    MODELLOADDATA data;
    InitModelLoadData(&data);
    MODELLOADFRAME *mesh = AddModelLoadFrame(&data, "Mesh", nullptr);
    AddModelLoadShape(&data, "smile", mesh);
    static const char *const names[] = {"leg", "ひざ", "ankle", "target"};
    static const int parents[] = {-1, 0, 1, -1};
    PMDBONE bones[4] = {};
    for (int i = 0; i < 4; ++i) {
        bones[i].parent = parents[i];
        bones[i].frame = AddModelLoadFrame(&data, names[i], parents[i] >= 0 ? bones[parents[i]].frame : nullptr);
        bones[i].frame->translation = bones[i].translation = VEC3{0, i == 3 ? 2.0f : -5.0f, i == 3 ? 2.0f : 0.0f};
        bones[i].quaternion[3] = 1;
        bones[i].knee = i == 1;
        bones[i].cursor = -1;
    }
    PMDIKCHAIN chain{};
    chain.goal = &bones[3];
    chain.effector = &bones[2];
    chain.iterations = 8;
    chain.limit = 1.0f;
    chain.linkCount = 2;
    chain.links[0] = 1;
    chain.links[1] = 0;
    bones[0].ik = bones[1].ik = bones[2].ik = 1;
    UpdatePmdBoneMatrices(4, bones);
    const int result = ReadVmdMotion(image, size, &data, "Anim000", bones, 4, &chain);
    TermModelLoadData(&data);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    std::vector<uint8_t> image(bytes, bytes + size);
    image.push_back(0);
    const int n = (int)size;
    MODELLOADDATA data;
#if defined(FUZZ_MODEL_X)
    if (FillXLoadData(image.data(), n, "fuzz.x", "fuzz", &data) == 0) TermModelLoadData(&data);
#elif defined(FUZZ_MODEL_MQO)
    if (FillMqoLoadData(image.data(), n, "fuzz.mqo", "fuzz", &data) == 0) TermModelLoadData(&data);
#elif defined(FUZZ_MODEL_PMD)
    if (FillPmdLoadData(image.data(), n, "fuzz.pmd", "fuzz", nullptr, &data) == 0) TermModelLoadData(&data);
#else
    (void)data;
    ReadMotion(image.data(), n);
#endif
    return 0;
}
