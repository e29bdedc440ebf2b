// Builds model bases for tests the way a reader would: frames with their transform parts,
// positions (with skin weights) and normals, materials, textures, skin bones, meshes of vertices
// and triangles, shapes. Build() lays the records out in the base's block chain, computes the
// bit ranges, triangle lists (one per mesh, of the kind its weights need), list vertex data,
// tangents, totals and bind matrices, and enters the base in its slot.
#pragma once

#include "library/model/model_base.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

class ModelBuilder {
public:
    struct Frame {
        std::string name;
        int parent = -1;
        VEC3 translation{0, 0, 0};
        VEC3 rotation{0, 0, 0};
        VEC3 scale{1, 1, 1};
        int rotationOrder = 0;
        bool shown = true;
        bool noCull = false;
        std::vector<std::pair<VEC3, std::vector<std::pair<int, float>>>> positions;  // weights: (skin ref, w)
        std::vector<VEC3> normals;
        std::vector<int> skinRefs;  // skin bone entries this frame's weights name
    };
    struct Material {
        COLOUR_F diffuse{1, 1, 1, 1};
        COLOUR_F ambient{0, 0, 0, 0};
        COLOUR_F specular{0, 0, 0, 0};
        COLOUR_F emissive{0, 0, 0, 0};
        float power = 0.0f;
        int texture = -1;        // diffuse layer
        int normalTexture = -1;  // a normal-map layer
        int blendMode = 0;
        int blendParam = 255;
        int kind = 0;
    };
    struct Texture {
        std::string colour, alpha;  // file paths; empty for none
        int bump = 0;
        float bumpHeight = 0.0f;
        int addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP, filter = 0;
    };
    struct Vertex {
        int position = 0, normal = 0;
        uint32_t diffuse = 0xFFFFFFFFu, specular = 0;
        float uv[MODEL_UV_SETS_MAX][2] = {};
    };
    struct Mesh {
        int frame = 0, material = 0, uvSets = 1;
        uint8_t cullMode = 1, visible = 1, vertexDiffuse = 1, vertexSpecular = 0;
        std::vector<Vertex> vertices;
        std::vector<std::array<int, 3>> triangles;
        int forceKind = -1;  // a list kind other than the weights would pick
    };
    struct SkinBone {
        int boneFrame = 0;
        int meshFrame = 0;  // offset = inverse bone bind world x mesh frame bind world
    };
    struct ShapeVertex {
        int mesh, vertex;
        VEC3 position, normal;
    };
    struct Shape {
        int frame = 0;
        std::string name;
        std::vector<ShapeVertex> vertices;
    };

    // Frames must come parents first and depth first (a subtree in one run).
    int AddFrame(const std::string &name, int parent = -1);
    Frame &FrameAt(int i) { return frames_[i]; }
    int AddPosition(int frame, VEC3 p, std::vector<std::pair<int, float>> weights = {});
    int AddNormal(int frame, VEC3 n);
    int AddMaterial(const Material &m);
    int AddMaterial() { return AddMaterial(Material()); }
    int AddTexture(const Texture &t);
    // A skin bone entry of `boneFrame` for weights of `meshFrame`; returns its reference index in
    // the mesh frame's skin-matrix references.
    int AddSkinRef(int meshFrame, int boneFrame);
    int AddMesh(int frame, int material, int uvSets = 1);
    Mesh &MeshAt(int i) { return meshes_[i]; }
    int AddVertex(int mesh, int position, int normal, uint32_t diffuse = 0xFFFFFFFFu, float u = 0, float v = 0);
    void AddTriangle(int mesh, int a, int b, int c);
    int AddShape(int frame, const std::string &name);
    void AddShapeVertex(int shape, int mesh, int vertex, VEC3 position, VEC3 normal = VEC3{0, 0, 0});

    // The base handle, or -1 (the base is left released).
    int Build();

    // A cube centred on the origin in frame `frame`: 8 positions, 6 faces of 2 clockwise
    // triangles (seen from outside), one normal per face, face k coloured colours[k]; returns the
    // mesh. Shared: 8 vertices, one per position, all naming normal 0 (a normal rebuild's input).
    int AddCube(int frame, int material, float half, const uint32_t colours[6], bool shared = false);

private:
    std::vector<Frame> frames_;
    std::vector<Material> materials_;
    std::vector<Texture> textures_;
    std::vector<SkinBone> skinBones_;
    std::vector<Mesh> meshes_;
    std::vector<Shape> shapes_;
};

// The base's record (null for a bad handle).
MV1BASE *BuiltBase(int handle);
