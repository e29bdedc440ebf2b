// PMD and VMD fixtures written from the formats' layouts: a model of vertices, faces, materials,
// bones, IK chains and morphs, and a motion of bone and morph keys.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct PmdVertex {
    float position[3];
    float normal[3] = {0, 0, 1};
    float uv[2] = {0, 0};
    uint16_t bone0 = 0, bone1 = 0;
    uint8_t weight = 100;
};
struct PmdMaterial {
    float diffuse[4] = {1, 1, 1, 1};
    float specularity = 5;
    float specular[3] = {0, 0, 0};
    float ambient[3] = {0, 0, 0};
    uint32_t corners = 0;
    std::string texture;
};
struct PmdBone {
    std::string name;
    uint16_t parent = 0xFFFF;
    float head[3] = {0, 0, 0};
    uint8_t type = 0;
};
struct PmdIk {
    uint16_t goal, effector;
    uint16_t iterations = 40;
    float weight = 1.0f;
    std::vector<uint16_t> links;
};
struct PmdMorph {
    std::string name;
    std::vector<std::pair<uint32_t, std::vector<float>>> entries;  // index, x y z
};

namespace pmdfixture {
inline void Put(std::string &out, const void *p, size_t n) { out.append(static_cast<const char *>(p), n); }
inline void U8(std::string &out, uint8_t v) { out += (char)v; }
inline void U16(std::string &out, uint16_t v) { Put(out, &v, 2); }
inline void U32(std::string &out, uint32_t v) { Put(out, &v, 4); }
inline void F32(std::string &out, float v) { Put(out, &v, 4); }
inline void Fixed(std::string &out, const std::string &text, size_t n) {
    std::string field = text.substr(0, n);
    field.resize(n, '\0');
    out += field;
}
}  // namespace pmdfixture

struct PmdFile {
    float version = 1.0f;
    std::vector<PmdVertex> vertices;
    std::vector<uint16_t> indices;
    std::vector<PmdMaterial> materials;
    std::vector<PmdBone> bones;
    std::vector<PmdIk> iks;
    std::vector<PmdMorph> morphs;

    std::string Bytes() const {
        using namespace pmdfixture;
        std::string out = "Pmd";
        F32(out, version);
        Fixed(out, "model", 20);
        Fixed(out, "", 256);
        U32(out, (uint32_t)vertices.size());
        for (const PmdVertex &v : vertices) {
            for (float f : v.position) F32(out, f);
            for (float f : v.normal) F32(out, f);
            for (float f : v.uv) F32(out, f);
            U16(out, v.bone0);
            U16(out, v.bone1);
            U8(out, v.weight);
            U8(out, 0);
        }
        U32(out, (uint32_t)indices.size());
        for (uint16_t i : indices) U16(out, i);
        U32(out, (uint32_t)materials.size());
        for (const PmdMaterial &m : materials) {
            for (float f : m.diffuse) F32(out, f);
            F32(out, m.specularity);
            for (float f : m.specular) F32(out, f);
            for (float f : m.ambient) F32(out, f);
            U8(out, 0);
            U8(out, 0);
            U32(out, m.corners);
            Fixed(out, m.texture, 20);
        }
        U16(out, (uint16_t)bones.size());
        for (const PmdBone &b : bones) {
            Fixed(out, b.name, 20);
            U16(out, b.parent);
            U16(out, 0);
            U8(out, b.type);
            U16(out, 0);
            for (float f : b.head) F32(out, f);
        }
        U16(out, (uint16_t)iks.size());
        for (const PmdIk &k : iks) {
            U16(out, k.goal);
            U16(out, k.effector);
            U8(out, (uint8_t)k.links.size());
            U16(out, k.iterations);
            F32(out, k.weight);
            for (uint16_t l : k.links) U16(out, l);
        }
        U16(out, (uint16_t)morphs.size());
        for (const PmdMorph &m : morphs) {
            Fixed(out, m.name, 20);
            U32(out, (uint32_t)m.entries.size());
            U8(out, 0);
            for (const auto &e : m.entries) {
                U32(out, e.first);
                for (float f : e.second) F32(out, f);
            }
        }
        return out;
    }
};

// The smallest model: one triangle, one material, one bone.
inline PmdFile PmdTriangle() {
    PmdFile f;
    f.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    f.indices = {0, 1, 2};
    PmdMaterial m;
    m.corners = 3;
    f.materials = {m};
    f.bones = {{"center"}};
    return f;
}

struct VmdBoneKey {
    std::string name;
    uint32_t frame;
    float position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    uint8_t curve[4][4] = {{20, 20, 107, 107}, {20, 20, 107, 107}, {20, 20, 107, 107}, {20, 20, 107, 107}};
};
struct VmdMorphKey {
    std::string name;
    uint32_t frame;
    float weight;
};

struct VmdFile {
    std::string magic = "Vocaloid Motion Data 0002";
    std::vector<VmdBoneKey> bones;
    std::vector<VmdMorphKey> morphs;

    std::string Bytes() const {
        using namespace pmdfixture;
        std::string out;
        Fixed(out, magic, 30);
        Fixed(out, "model", 20);
        U32(out, (uint32_t)bones.size());
        for (const VmdBoneKey &k : bones) {
            Fixed(out, k.name, 15);
            U32(out, k.frame);
            for (float f : k.position) F32(out, f);
            for (float f : k.rotation) F32(out, f);
            uint8_t block[64] = {};
            for (int channel = 0; channel < 4; ++channel)
                for (int c = 0; c < 4; ++c) block[16 * channel + 4 * c] = k.curve[channel][c];
            Put(out, block, 64);
        }
        U32(out, (uint32_t)morphs.size());
        for (const VmdMorphKey &k : morphs) {
            Fixed(out, k.name, 15);
            U32(out, k.frame);
            F32(out, k.weight);
        }
        return out;
    }
};
