#include "model/mv1_fixtures.h"

#include "model/load_data_fixture.h"
#include "tools/imagewrite/image_write.h"

#include <fstream>

namespace {

const uint32_t kColours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};

}  // namespace

std::vector<uint8_t> MinimalMV1File(MV1WRITEOPTIONS options) {
    PngSpec spec;
    spec.width = spec.height = 4;
    spec.colourType = 2;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) spec.pixels.insert(spec.pixels.end(), {0, (uint8_t)(x * 60), (uint8_t)(y * 60)});
    const std::vector<uint8_t> png = EncodePng(spec);
    std::ofstream("skin.png", std::ios::binary).write(reinterpret_cast<const char *>(png.data()), (long)png.size());

    ReadData data;
    MODELLOADMESH *mesh = AddReadDataCube(data.get(), 1.0f, kColours);
    mesh->materials[0]->diffuseLayerCount = 1;
    mesh->materials[0]->diffuseLayers[0] = AddModelLoadTexture(data.get(), "skin", "skin.png", nullptr, 0, 0, 1);
    std::vector<std::pair<float, float>> uv;
    for (int i = 0; i < 8; ++i) uv.push_back({(float)(i & 1), (float)(i >> 1 & 1) * 0.5f});
    SetUvs(data.get(), mesh, 0, uv);
    if (!options.meshIndexBytes) options.meshIndexBytes = 1;
    return WriteMV1FromReadData(data.get(), "", options);
}

std::vector<uint8_t> SkinnedMV1File(const MV1WRITEOPTIONS &options, bool animated) {
    ReadData data;
    MODELLOADFRAME *root = AddModelLoadFrame(data.get(), "root", nullptr);
    AddModelLoadFrame(data.get(), "upper", root);
    AddModelLoadFrame(data.get(), "lower", root);
    MODELLOADMESH *mesh = AddReadDataCube(data.get(), 1.0f, kColours, false, root);
    std::vector<std::pair<int, float>> upper, lower;
    for (int i = 0; i < 8; ++i) {
        const float w = (i & 2) ? 0.75f : 0.25f;
        upper.push_back({i, w});
        lower.push_back({i, 1.0f - w});
    }
    AddWeight(data.get(), mesh, 1, upper);
    AddWeight(data.get(), mesh, 2, lower)->offset.m[13] = 0.5f;
    if (animated) {
        // A shape moving the cube's top corners, and a set turning "upper" and driving the shape.
        MODELLOADSHAPE *shape = AddModelLoadShape(data.get(), "lift", root);
        shape->mesh = mesh;
        shape->vertexCount = 4;
        shape->vertices = LoadArray<MODELLOADSHAPE::VERTEX>(data.get(), 4);
        for (int i = 0; i < 4; ++i) shape->vertices[i] = {2 + (i & 1) + (i & 2) * 2, {0, 0.5f, 0}, {0, 1, 0}};
        MODELLOADANIMSET *set = AddModelLoadAnimSet(data.get(), "wave");
        set->totalTime = 30;
        MODELLOADANIM *anim = AddModelLoadAnim(data.get(), set);
        anim->frameName = AddModelLoadString(data.get(), "upper");
        const struct {
            uint8_t dataType, kind;
            std::vector<float> values, times;
        } tracks[] = {{MODELKEY_FLOAT, MODELKEY_ROTATE + 2, {0, 0.7f, -0.4f, 1.2f}, {0, 10, 20, 30}},
                      {MODELKEY_VECTOR, MODELKEY_TRANSLATE, {0, 0, 0, 1, 2, 3}, {0, 30}},
                      {MODELKEY_FLOAT, MODELKEY_SHAPE, {0, 1, 0.25f}, {}}};
        for (const auto &t : tracks) {
            MODELLOADKEYSET *k = AddModelLoadKeySet(data.get(), anim);
            k->dataType = t.dataType;
            k->kind = t.kind;
            k->keyCount = (int)(t.values.size() / (t.dataType == MODELKEY_VECTOR ? 3 : 1));
            k->values = LoadArray<float>(data.get(), t.values.size());
            std::copy(t.values.begin(), t.values.end(), k->values);
            if (t.times.empty()) {
                k->timeType = 0, k->start = 0, k->step = 15;
            } else {
                k->times = LoadArray<float>(data.get(), t.times.size());
                std::copy(t.times.begin(), t.times.end(), k->times);
            }
            data->keyDataSize += (int)(t.values.size() + t.times.size()) * 4;
        }
    }
    return WriteMV1FromReadData(data.get(), "", options);
}
