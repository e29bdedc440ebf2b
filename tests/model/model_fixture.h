// Model tests without a device: the model system marked set up over empty tables, the log in a
// fresh start directory; everything is deleted at the end and no allocation may be left behind.
#pragma once

#include "fixtures/start_dir.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "model/model_builder.h"
#include "platform/testing.h"
#include "tools/imagewrite/image_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ModelTablesTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        DeleteAllModels();
        g_modelSystem = MODELSYSTEM{};
        g_modelSystem.started = 1;
        g_modelSystem.defaultSmoothing = MODEL_DEFAULT_SMOOTHING;
    }

    void TearDown() override {
        DeleteAllModels();
        EXPECT_EQ(g_modelSystem.bases.entries, nullptr);
        LogStartTest::TearDown();
    }

    std::string Log() { return PlatformTestTakeDebugOutput(); }
};

// Rotation, scale and position of a model in one call.
inline void PlaceModel(int model, VEC3 rotation, VEC3 scale, VEC3 position) {
    SetModelRotation(model, rotation.x, rotation.y, rotation.z);
    SetModelScale(model, scale.x, scale.y, scale.z);
    SetModelPosition(model, position.x, position.y, position.z);
}

// One frame with a cube of the given half size and face colours (default: six distinct ones).
inline int BuildCubeBase(float half = 1.0f, const uint32_t *colours = nullptr) {
    static const uint32_t kColours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
                                         0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
    ModelBuilder b;
    const int frame = b.AddFrame("cube");
    const int material = b.AddMaterial();
    b.AddCube(frame, material, half, colours ? colours : kColours);
    return b.Build();
}

// A PNG file of w x h pixels, colour(x, y) as 0xAARRGGBB (alpha kept only when `alpha`).
template <class F>
std::vector<uint8_t> ColourPng(int w, int h, F colour, bool alpha = false) {
    PngSpec spec;
    spec.width = w;
    spec.height = h;
    spec.colourType = alpha ? 6 : 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            spec.pixels.push_back((uint8_t)(c >> 16));
            spec.pixels.push_back((uint8_t)(c >> 8));
            spec.pixels.push_back((uint8_t)c);
            if (alpha) spec.pixels.push_back((uint8_t)(c >> 24));
        }
    return EncodePng(spec);
}

// One frame with a white cube whose material takes the texture file at `path` (blend mode as
// given); the base handle, or -1.
inline int BuildTexturedCubeBase(const std::string &path, int blendMode = 0) {
    ModelBuilder b;
    const int frame = b.AddFrame("cube");
    ModelBuilder::Texture tex;
    tex.colour = path;
    ModelBuilder::Material m;
    m.texture = b.AddTexture(tex);
    m.blendMode = blendMode;
    const uint32_t white[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    b.AddCube(frame, b.AddMaterial(m), 1.0f, white);
    return b.Build();
}
