// The hero as a 3D model (DataForWork/vedaz3d/vedaz.mv1 and its texture vedaz.bmp): a frame
// tree of hips, torso, head, arms and legs, each a rigid box of subdivided sides textured from
// one 64 x 64 picture with the shading painted in, since the game draws it unlit. The model
// hangs below its origin, so that at the status page's placement (50, 200, 10) and scale 150 it
// stands whole in the strip left of the event-log window and turns about its vertical axis.
#include "demo_art.h"
#include "library/model/model_load_data.h"
#include "tools/mv1write/mv1_writer.h"

#include <cstdio>

namespace {

constexpr int kCell = 16;  // the picture is 4 x 4 cells of 16 pixels
enum Cell { FACE, SKIN, HAIR, SHIRT, PANTS, BOOTS, BELT };
const Rgb kCellColour[] = {{238, 196, 160}, {238, 196, 160}, {92, 54, 30}, {46, 92, 168},
                           {112, 82, 52},   {44, 36, 32},    {150, 40, 36}};

// Each cell shaded lighter at its top left, darker at its bottom right.
Image HeroTexture() {
    Image img(64, 64, {0, 0, 0});
    for (int c = 0; c < 7; ++c) {
        const int x0 = (c % 4) * kCell, y0 = (c / 4) * kCell;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const double t = (x + y) / (2.0 * kCell);
                img.Set(x0 + x, y0 + y, Mix(Mix(kCellColour[c], {255, 255, 255}, 0.25), Mix(kCellColour[c], {0, 0, 0}, 0.35), t));
            }
    }
    // The face: hair over the brow, eyes and a mouth.
    img.Fill(0, 0, kCell, 4, kCellColour[HAIR]);
    img.Fill(4, 7, 6, 10, {30, 30, 60});
    img.Fill(10, 7, 12, 10, {30, 30, 60});
    img.Fill(6, 12, 10, 13, {150, 70, 60});
    return img;
}

struct Box {
    VEC3 lo, hi;
    Cell sides, front, top;
};

// A box's six sides as 2 x 2 quads each, wound clockwise seen from outside.
void AddBox(MODELLOADDATA *d, MODELLOADFRAME *frame, MODELLOADMATERIAL *material, const Box &b) {
    MODELLOADMESH *mesh = AddModelLoadMesh(d, frame);
    struct Side {
        VEC3 origin, u, v;  // corner and the two edge vectors
        VEC3 out;
        Cell cell;
    };
    const VEC3 s{b.hi.x - b.lo.x, b.hi.y - b.lo.y, b.hi.z - b.lo.z};
    const Side sides[6] = {
        {{b.lo.x, b.hi.y, b.lo.z}, {s.x, 0, 0}, {0, -s.y, 0}, {0, 0, -1}, b.front},  // front (toward the eye)
        {{b.hi.x, b.hi.y, b.hi.z}, {-s.x, 0, 0}, {0, -s.y, 0}, {0, 0, 1}, b.sides},
        {{b.lo.x, b.hi.y, b.hi.z}, {0, 0, -s.z}, {0, -s.y, 0}, {-1, 0, 0}, b.sides},
        {{b.hi.x, b.hi.y, b.lo.z}, {0, 0, s.z}, {0, -s.y, 0}, {1, 0, 0}, b.sides},
        {{b.lo.x, b.hi.y, b.hi.z}, {s.x, 0, 0}, {0, 0, -s.z}, {0, 1, 0}, b.top},
        {{b.lo.x, b.lo.y, b.lo.z}, {s.x, 0, 0}, {0, 0, s.z}, {0, -1, 0}, b.sides},
    };
    constexpr int N = 2;  // quads along a side's edge
    const int positions = 6 * (N + 1) * (N + 1);
    mesh->positionCount = positions;
    mesh->positions = static_cast<VEC3 *>(AllocModelLoadBlock(d, sizeof(VEC3) * positions));
    mesh->uvCounts[0] = positions;
    mesh->uvs[0] = static_cast<VEC3 *>(AllocModelLoadBlock(d, sizeof(VEC3) * positions));
    mesh->colourCount = 1;
    mesh->colours = static_cast<float(*)[4]>(AllocModelLoadBlock(d, sizeof(float[4])));
    mesh->faceCount = 6 * N * N;
    mesh->faces = AllocModelLoadFaces(d, (size_t)mesh->faceCount, 4);
    for (int k = 0; k < 4; ++k) mesh->colours[0][k] = 1.0f;
    mesh->materialCount = 1;
    mesh->materials[0] = material;
    int face = 0;
    for (int sd = 0; sd < 6; ++sd) {
        const Side &q = sides[sd];
        const int base = sd * (N + 1) * (N + 1);
        const float cu = (float)((q.cell % 4) * kCell) + 0.5f, cv = (float)((q.cell / 4) * kCell) + 0.5f;
        for (int j = 0; j <= N; ++j)
            for (int i = 0; i <= N; ++i) {
                const float a = (float)i / N, c = (float)j / N;
                mesh->positions[base + j * (N + 1) + i] = {q.origin.x + q.u.x * a + q.v.x * c, q.origin.y + q.u.y * a + q.v.y * c,
                                                           q.origin.z + q.u.z * a + q.v.z * c};
                mesh->uvs[0][base + j * (N + 1) + i] = {(cu + a * (kCell - 1)) / 64.0f, (cv + c * (kCell - 1)) / 64.0f, 0};
            }
        for (int j = 0; j < N; ++j)
            for (int i = 0; i < N; ++i) {
                int corners[4] = {base + j * (N + 1) + i, base + j * (N + 1) + i + 1, base + (j + 1) * (N + 1) + i + 1,
                                  base + (j + 1) * (N + 1) + i};
                // Clockwise seen from outside: the cross product of the first two edges points out.
                const VEC3 &p0 = mesh->positions[corners[0]], &p1 = mesh->positions[corners[1]], &p2 = mesh->positions[corners[2]];
                const VEC3 e1{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, e2{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
                VEC3 n;
                CrossVectors(&n, &e1, &e2);
                if (DotVectors(&n, &q.out) < 0) std::swap(corners[1], corners[3]);
                MODELLOADFACE &f = mesh->faces[face++];
                f.vertexCount = 4;
                for (int k = 0; k < 4; ++k) {
                    f.corners[k].position = f.corners[k].uvs[0] = corners[k];
                    f.corners[k].normal = 0;
                    f.corners[k].colour = 0;
                }
            }
    }
}

MODELLOADFRAME *Frame(MODELLOADDATA *d, const char *name, MODELLOADFRAME *parent, VEC3 at) {
    MODELLOADFRAME *f = AddModelLoadFrame(d, name, parent);
    MakeIdentityMatrix(&f->matrix);
    f->matrix.m[12] = at.x, f->matrix.m[13] = at.y, f->matrix.m[14] = at.z;
    return f;
}

void BuildHero(MODELLOADDATA *d) {
    MODELLOADMATERIAL *m = AddModelLoadMaterial(d, "vedaz");
    m->diffuseLayerCount = 1;
    m->diffuseLayers[0] = AddModelLoadTexture(d, "vedaz", "vedaz.bmp", nullptr, 0, 0.1f, 1);
    // Scaled so that, hanging from the origin, it fits between the HUD and the message window.
    MODELLOADFRAME *hips = Frame(d, "hips", nullptr, {0, -0.4f, 0});
    hips->matrix.m[0] = hips->matrix.m[5] = hips->matrix.m[10] = 0.55f;
    AddBox(d, hips, m, {{-0.13f, -0.06f, -0.08f}, {0.13f, 0.05f, 0.08f}, BELT, BELT, BELT});
    MODELLOADFRAME *torso = Frame(d, "torso", hips, {0, 0.05f, 0});
    AddBox(d, torso, m, {{-0.14f, 0, -0.08f}, {0.14f, 0.3f, 0.08f}, SHIRT, SHIRT, SHIRT});
    MODELLOADFRAME *head = Frame(d, "head", torso, {0, 0.3f, 0});
    AddBox(d, head, m, {{-0.03f, 0, -0.03f}, {0.03f, 0.03f, 0.03f}, SKIN, SKIN, SKIN});
    AddBox(d, head, m, {{-0.09f, 0.03f, -0.09f}, {0.09f, 0.2f, 0.09f}, HAIR, FACE, HAIR});
    AddBox(d, head, m, {{-0.1f, 0.16f, -0.02f}, {0.1f, 0.23f, 0.1f}, HAIR, HAIR, HAIR});
    for (int side : {-1, 1}) {
        MODELLOADFRAME *arm = Frame(d, side < 0 ? "arm_r" : "arm_l", torso, {0.18f * side, 0.29f, 0});
        AddBox(d, arm, m, {{-0.04f, -0.2f, -0.04f}, {0.04f, 0, 0.04f}, SHIRT, SHIRT, SHIRT});
        AddBox(d, arm, m, {{-0.035f, -0.28f, -0.035f}, {0.035f, -0.2f, 0.035f}, SKIN, SKIN, SKIN});
        MODELLOADFRAME *leg = Frame(d, side < 0 ? "leg_r" : "leg_l", hips, {0.065f * side, -0.05f, 0});
        AddBox(d, leg, m, {{-0.055f, -0.3f, -0.06f}, {0.055f, 0, 0.06f}, PANTS, PANTS, PANTS});
        AddBox(d, leg, m, {{-0.06f, -0.4f, -0.09f}, {0.06f, -0.3f, 0.07f}, BOOTS, BOOTS, BOOTS});
    }
}

void WriteHeroModel(const DemoOptions &o) {
    const fs::path folder = o.data / "vedaz3d";
    fs::create_directories(folder);
    WriteBmp(folder / "vedaz.bmp", HeroTexture());
    if (!StartToolLibrary()) {
        std::fprintf(stderr, "hero model: the library does not start\n");
        return;
    }
    // Texture paths are taken against the current folder.
    const fs::path here = fs::current_path();
    fs::current_path(folder);
    std::vector<uint8_t> file;
    {
        MODELLOADDATA data;
        InitModelLoadData(&data);
        BuildHero(&data);
        file = WriteMV1FromReadData(&data, folder.string().c_str(), MV1WRITEOPTIONS{});
        TermModelLoadData(&data);
    }
    fs::current_path(here);
    EndToolLibrary();
    if (file.empty()) {
        std::fprintf(stderr, "hero model: conversion failed\n");
        return;
    }
    WriteFileBytes(folder / "vedaz.mv1", file);
}

}  // namespace

DEMO_WRITER("hero model", 10, WriteHeroModel);
