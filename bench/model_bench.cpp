// The models' hot paths. Software skinning of a 20,000-vertex list of four weights per vertex,
// against Eigen blending the same matrices (goal: at least 0.5 of Eigen's rate); and RenderModel
// of a skinned 3,000-vertex model on the 320 x 240 screen through the Direct3D stand-in, as a
// share of the 16.7 ms frame (goal: below 0.1).
#include "bench/standin_graphics.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"
#include "library/graphics/state3d.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_matrix.h"
#include "model/model_builder.h"
#include "platform/testing.h"
#include "platform/testing/d3d9.h"
#include "tools/imagewrite/image_write.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kVertices = 20000, kBones = 20;

struct SKINDATA {
    MV1FRAME frame{};
    MV1MESH mesh{};
    MV1TRIANGLELIST list{};
    std::vector<uint8_t> vertices;
    std::vector<MAT34> matrices;
    std::vector<MAT34 *> skin;
    std::vector<uint8_t> out;

    SKINDATA() : vertices((size_t)kVertices * 48), matrices(kBones), skin(kBones), out((size_t)kVertices * 48) {
        frame.skinRefCount = kBones;
        mesh.frame = &frame;
        list.mesh = &mesh;
        list.kind = MV1_KIND_FOUR;
        list.vertexCount = kVertices;
        list.boneCount = kBones;
        for (int b = 0; b < kBones; ++b) {
            list.bones[b] = b;
            const float a = 0.1f * b, c = std::cos(a), s = std::sin(a);
            matrices[b] = MAT34{{c, -s, 0, 0.5f * b, s, c, 0, -0.25f * b, 0, 0, 1, 0.1f * b}};
            skin[b] = &matrices[b];
        }
        unsigned seed = 7;
        auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
        for (int i = 0; i < kVertices; ++i) {
            uint8_t *v = vertices.data() + (size_t)i * 48;
            float w[4] = {0.4f, 0.3f, 0.2f, 0.1f};
            const float p[4] = {(float)(next() % 1000) * 0.01f, (float)(next() % 1000) * 0.01f,
                                (float)(next() % 1000) * 0.01f, 1.0f};
            const float n[3] = {0.0f, 0.6f, -0.8f};
            std::memcpy(v, w, 16);
            std::memcpy(v + 16, p, 16);
            std::memcpy(v + 32, n, 12);
            for (int k = 0; k < 4; ++k) v[44 + k] = (uint8_t)(next() % kBones);
        }
        list.vertexData = vertices.data();
    }
};

// The same blend with Eigen's fixed-size matrices: the weighted sum of four 3 x 4 matrices applied
// to the position and the normal.
void EigenSkin(const SKINDATA &d, std::vector<uint8_t> &out) {
    typedef Eigen::Matrix<float, 3, 4, Eigen::RowMajor> M34;
    std::vector<M34, Eigen::aligned_allocator<M34>> m(kBones);
    for (int b = 0; b < kBones; ++b) m[b] = Eigen::Map<const M34>(d.matrices[b].m);
    for (int i = 0; i < kVertices; ++i) {
        const uint8_t *v = d.vertices.data() + (size_t)i * 48;
        Eigen::Vector4f w, p;
        Eigen::Vector3f n;
        std::memcpy(w.data(), v, 16);
        std::memcpy(p.data(), v + 16, 16);
        std::memcpy(n.data(), v + 32, 12);
        const M34 blend = w[0] * m[v[44]] + w[1] * m[v[45]] + w[2] * m[v[46]] + w[3] * m[v[47]];
        const Eigen::Vector3f q = blend * p, r = blend.leftCols<3>() * n;
        std::memcpy(out.data() + (size_t)i * 48, q.data(), 12);
        std::memcpy(out.data() + (size_t)i * 48 + 12, r.data(), 12);
    }
}

double Now() {
    std::timespec t;
    std::timespec_get(&t, TIME_UTC);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

double Seconds(const std::function<void()> &f, int rounds) {
    const double start = Now();
    for (int i = 0; i < rounds; ++i) f();
    return (Now() - start) / rounds;
}

void BM_SoftwareSkinningAgainstEigen(benchmark::State &state) {
    SKINDATA d;
    for (auto _ : state) {
        SkinTriangleList(&d.list, d.vertices.data(), d.skin.data(), d.out.data(), 48);
        benchmark::DoNotOptimize(d.out.data());
        benchmark::ClobberMemory();
    }
    std::vector<uint8_t> eigen(d.out.size());
    // Both again side by side, for the ratio.
    double ours = 1e9, theirs = 1e9;
    for (int round = 0; round < 10; ++round) {
        ours = std::min(ours, Seconds([&] { SkinTriangleList(&d.list, d.vertices.data(), d.skin.data(), d.out.data(), 48); }, 20));
        theirs = std::min(theirs, Seconds([&] { EigenSkin(d, eigen); }, 20));
    }
    float a, b;
    std::memcpy(&a, d.out.data() + 12345 * 48 + 4, 4);
    std::memcpy(&b, eigen.data() + 12345 * 48 + 4, 4);
    if (std::fabs(a - b) > 1e-3f) state.SkipWithError("the two blends disagree");
    state.counters["vertices_per_s"] = benchmark::Counter((double)state.iterations() * kVertices, benchmark::Counter::kIsRate);
    state.counters["eigen_vertices_per_s"] = kVertices / theirs;
    state.counters["ratio_to_eigen"] = theirs / ours;
}
BENCHMARK(BM_SoftwareSkinningAgainstEigen)->Unit(benchmark::kMicrosecond);

// A 50 x 60 grid of vertices (3,000), each weighed on four of eight bones in a chain, white and
// textured like a model whose file gives no vertex colours.
int SkinnedGrid(const std::string &texture) {
    ModelBuilder b;
    int parent = b.AddFrame("root");
    const int root = parent;
    int refs[8];
    for (int i = 0; i < 8; ++i) {
        parent = b.AddFrame("bone" + std::to_string(i), parent);
        b.FrameAt(parent).translation = VEC3{i ? 0.6f : 0.0f, 0, 0};
        refs[i] = b.AddSkinRef(root, parent);
    }
    const int n = b.AddNormal(root, VEC3{0, 0, -1});
    ModelBuilder::Texture tex;
    tex.colour = texture;
    ModelBuilder::Material material;
    material.texture = b.AddTexture(tex);
    const int mesh = b.AddMesh(root, b.AddMaterial(material));
    b.MeshAt(mesh).cullMode = 0;
    const int cols = 50, rows = 60;
    std::vector<int> v((size_t)cols * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const int first = std::min(4, x * 8 / cols);
            std::vector<std::pair<int, float>> w = {
                {refs[first], 0.4f}, {refs[first + 1], 0.3f}, {refs[first + 2], 0.2f}, {refs[first + 3], 0.1f}};
            const int p = b.AddPosition(root, VEC3{x * 0.1f, y * 0.1f - 3.0f, 0}, w);
            v[(size_t)y * cols + x] = b.AddVertex(mesh, p, n, 0xFFFFFFFFu, x / (float)(cols - 1), y / (float)(rows - 1));
        }
    for (int y = 0; y + 1 < rows; ++y)
        for (int x = 0; x + 1 < cols; ++x) {
            const int a = v[(size_t)y * cols + x], c = v[(size_t)y * cols + x + 1], d = v[(size_t)(y + 1) * cols + x],
                      e = v[(size_t)(y + 1) * cols + x + 1];
            b.AddTriangle(mesh, a, c, e);
            b.AddTriangle(mesh, a, e, d);
        }
    return b.Build();
}

void BM_RenderSkinnedModel(benchmark::State &state) {
    if (!StartStandInGraphics(320, 240)) {
        state.SkipWithError("graphics did not start");
        return;
    }
    InitModelSystem();
    EnableLighting(0);
    const int model = AddModelSlot();
    const auto dir = std::filesystem::temp_directory_path() / "kelmor-model-bench";
    std::filesystem::create_directories(dir);
    const std::string texture = (dir / "skin.png").string();
    PngSpec png;
    png.width = png.height = 64;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) png.pixels.insert(png.pixels.end(), {(uint8_t)(x * 4), (uint8_t)(y * 4), 0x80});
    const std::vector<uint8_t> file = EncodePng(png);
    std::ofstream(texture, std::ios::binary).write((const char *)file.data(), (std::streamsize)file.size());
    CreateModelFromBase(model, SkinnedGrid(texture));
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 90, 120, 0);
    float angle = 0;
    for (auto _ : state) {
        SetModelRotation(model, 0, angle, 0);
        angle += 0.01f;
        ClearDrawTarget();
        RenderModel(model);
    }
    // The best of a few rounds: the machine is shared, and the goal is about the code.
    double seconds = 1e9;
    for (int round = 0; round < 10; ++round) seconds = std::min(seconds, Seconds([&] { RenderModel(model); }, 10));
    state.counters["vertices_per_s"] =
        benchmark::Counter((double)state.iterations() * 3000, benchmark::Counter::kIsRate);
    state.counters["share_of_frame"] = seconds / (1.0 / 60.0);
    DeleteAllModels();
    EndStandInGraphics();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_RenderSkinnedModel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
