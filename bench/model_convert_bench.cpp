// Converting read data into a model base: a skinned grid of 100,352 triangles (a 224 x 224 quad
// grid, triangulated by the converter), each vertex on two of 16 bones, normals made from the
// triangles; and the model file writer's output read back.
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_load_data.h"
#include "library/model/model_readers.h"
#include "model/load_data_fixture.h"
#include "tools/mv1write/mv1_writer.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kSide = 224, kBones = 16;

void BuildGrid(MODELLOADDATA *d) {
    MODELLOADFRAME *root = AddModelLoadFrame(d, "root", nullptr);
    for (int b = 0; b < kBones; ++b) AddModelLoadFrame(d, ("bone" + std::to_string(b)).c_str(), root);
    MODELLOADMESH *mesh = AddModelLoadMesh(d, root);
    const int n = kSide + 1;
    std::vector<VEC3> p;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) p.push_back({(float)x, (float)y, 0.1f * (float)((x * 7 + y * 3) % 5)});
    SetPositions(d, mesh, p);
    std::vector<std::vector<int>> quads;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) quads.push_back({y * n + x, (y + 1) * n + x, (y + 1) * n + x + 1, y * n + x + 1});
    SetFaces(d, mesh, quads, 0);
    mesh->materialCount = 1;
    mesh->materials[0] = AddModelLoadMaterial(d, "m");
    // Bands of columns: each vertex on its band's bone and the next.
    std::vector<std::vector<std::pair<int, float>>> perBone(kBones);
    for (int i = 0; i < n * n; ++i) {
        const int band = (i % n) * kBones / n;
        perBone[band].push_back({i, 0.75f});
        perBone[(band + 1) % kBones].push_back({i, 0.25f});
    }
    for (int b = 0; b < kBones; ++b) AddWeight(d, mesh, b + 1, perBone[b]);
}

void StartModels() {
    DeleteAllModels();
    g_modelSystem = MODELSYSTEM{};
    g_modelSystem.started = 1;
    g_modelSystem.defaultSmoothing = MODEL_DEFAULT_SMOOTHING;
}

void BM_ConvertSkinnedGrid(benchmark::State &state) {
    StartModels();
    int triangles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ReadData data;
        BuildGrid(data.get());
        state.ResumeTiming();
        const int base = ConvertModelLoadData(data.get(), "");
        state.PauseTiming();
        if (base == -1) {
            state.SkipWithError("conversion failed");
            break;
        }
        triangles = 0;
        const MV1BASE *b = GetModelBase(base);
        for (int i = 0; i < b->triangleListCount; ++i) triangles += b->triangleLists[i].indexCount / 3;
        ReleaseModelBase(base);
        state.ResumeTiming();
    }
    state.counters["triangles"] = triangles;
    DeleteAllModels();
}
BENCHMARK(BM_ConvertSkinnedGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadSkinnedGridFile(benchmark::State &state) {
    StartModels();
    std::vector<uint8_t> file;
    {
        ReadData data;
        BuildGrid(data.get());
        file = WriteMV1FromReadData(data.get(), "", MV1WRITEOPTIONS{});
    }
    file.push_back(0);
    for (auto _ : state) {
        const int base = ReadMV1File(file.data(), (int)file.size() - 1, "grid.mv1", "grid", "");
        if (base == -1) {
            state.SkipWithError("read failed");
            break;
        }
        ReleaseModelBase(base);
    }
    state.counters["file_bytes"] = (double)file.size() - 1;
    DeleteAllModels();
}
BENCHMARK(BM_ReadSkinnedGridFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
