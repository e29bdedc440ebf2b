// Model files through LoadModel: an X file (text and binary), an MQO file and a PMD file of one
// cube each draw on the Direct3D stand-in the pixels of the same cube built as read data here.
#include "library/model/model_readers.h"
#include "model/load_data_fixture.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"
#include "model/pmd_fixture.h"
#include "model/x_fixture.h"

#include <cstdio>

namespace {

// Corners of a cube (bit 0 x, bit 1 y, bit 2 z), each its own colour.
const uint32_t kCorner[8] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u,
                             0xFF00FFFFu, 0xFFFF00FFu, 0xFFFFFFFFu, 0xFF808080u};

float Channel(uint32_t argb, int shift) { return (float)((argb >> shift) & 255) / 255.0f; }

class ModelReaderDrawTest : public ModelScreenTest {
protected:
    // The cube as read data: one frame, one mesh of six quads in one material, with the corner
    // colours when `coloured`, skinned to a bone frame when `bone` is given.
    std::vector<uint32_t> Expected(const char *frameName, bool coloured, const char *bone = nullptr) {
        ReadData data;
        MODELLOADFRAME *frame = AddModelLoadFrame(data.get(), frameName, nullptr);
        MODELLOADFRAME *boneFrame = bone ? AddModelLoadFrame(data.get(), bone, nullptr) : nullptr;
        MODELLOADMESH *mesh = AddModelLoadMesh(data.get(), frame);
        SetPositions(data.get(), mesh, CubePositions(1.0f));
        SetFaces(data.get(), mesh, OutwardCubeQuads());
        if (coloured) SetColours(data.get(), mesh, std::vector<uint32_t>(kCorner, kCorner + 8));
        mesh->materialCount = 1;
        mesh->materials[0] = AddModelLoadMaterial(data.get(), "m");
        if (boneFrame) {
            std::vector<std::pair<int, float>> all;
            for (int i = 0; i < 8; ++i) all.push_back({i, 1.0f});
            AddWeight(data.get(), mesh, boneFrame->index, all);
        }
        const int base = ConvertModelLoadData(data.get(), "");
        EXPECT_NE(base, -1);
        return Draw(Model(base));
    }

    std::vector<uint32_t> Draw(int model) {
        EXPECT_NE(model, -1);
        ClearDrawTarget();
        PlaceModel(model, VEC3{0.5f, 0.7f, 0.1f}, VEC3{40, 40, 40}, VEC3{160.3f, 119.6f, 0});
        EXPECT_EQ(RenderModel(model), 0);
        std::vector<uint32_t> pixels = Screen();
        DeleteModel(model);
        return pixels;
    }

    std::vector<uint32_t> Load(const std::string &name, const std::string &bytes) {
        WriteFile(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return Draw(LoadModel(name.c_str()));
    }
};

std::vector<XNode> XCube() {
    std::vector<double> positions, faces{6}, colours{8};
    for (const VEC3 &p : CubePositions(1.0f)) positions.insert(positions.end(), {p.x, p.y, p.z});
    for (const auto &q : OutwardCubeQuads()) {
        faces.push_back(4);
        faces.insert(faces.end(), q.begin(), q.end());
    }
    XNode mesh = XObj("Mesh");
    mesh.Ints({8}).Floats(positions).Ints(faces);
    XNode vc = XObj("MeshVertexColors").Ints({8});
    for (int i = 0; i < 8; ++i) vc.Ints({(double)i}).Floats({Channel(kCorner[i], 16), Channel(kCorner[i], 8), Channel(kCorner[i], 0), 1});
    mesh.Child(vc);
    return {XObj("Frame", "Root").Child(mesh)};
}

TEST_F(ModelReaderDrawTest, XFilesDrawAsTheirReadData) {
    const std::vector<uint32_t> expected = Expected("Root", true);
    EXPECT_EQ(Mismatches(Load("cube.x", XText(XCube())), expected), 0);
    const std::vector<uint32_t> binary = Load("cube_bin.x", XBinary(XCube(), true));
    SavePicture("x-cube.png", binary);
    EXPECT_EQ(Mismatches(binary, expected), 0);
}

TEST_F(ModelReaderDrawTest, MqoFileDrawsAsItsReadData) {
    std::string file = "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"cube\" {\r\n\tvertex 8 {\r\n";
    char line[128];
    for (const VEC3 &p : CubePositions(1.0f)) {
        std::snprintf(line, sizeof line, "\t\t%g %g %g\r\n", p.x, p.y, -p.z);  // the reader negates z
        file += line;
    }
    file += "\t}\r\n\tface 6 {\r\n";
    for (const auto &q : OutwardCubeQuads()) {
        std::snprintf(line, sizeof line, "\t\t4 V(%d %d %d %d) COL(", q[0], q[1], q[2], q[3]);
        file += line;
        for (int k = 0; k < 4; ++k) {
            const uint32_t c = kCorner[q[k]];  // ARGB -> the file's ABGR
            std::snprintf(line, sizeof line, "%u%s", (c & 0xFF00FF00u) | (c >> 16 & 0xFF) | (c & 0xFF) << 16, k < 3 ? " " : ")\r\n");
            file += line;
        }
    }
    file += "\t}\r\n}\r\nEof\r\n";
    const std::vector<uint32_t> got = Load("cube.mqo", file);
    SavePicture("mqo-cube.png", got);
    EXPECT_EQ(Mismatches(got, Expected("cube", true)), 0);
}

TEST_F(ModelReaderDrawTest, PmdFileDrawsAsItsReadData) {
    PmdFile pmd;
    for (const VEC3 &p : CubePositions(1.0f)) pmd.vertices.push_back({{p.x, p.y, p.z}});
    for (const auto &q : OutwardCubeQuads()) pmd.indices.insert(pmd.indices.end(), {(uint16_t)q[0], (uint16_t)q[1], (uint16_t)q[2],
                                                                        (uint16_t)q[0], (uint16_t)q[2], (uint16_t)q[3]});
    PmdMaterial m;
    m.corners = 36;
    pmd.materials = {m};
    pmd.bones = {{"center"}};
    const std::vector<uint32_t> got = Load("cube.pmd", pmd.Bytes());
    SavePicture("pmd-cube.png", got);
    EXPECT_EQ(Mismatches(got, Expected("Mesh", false, "center")), 0);
}

TEST_F(ModelReaderDrawTest, DamagedFilesLeaveNoModelBehind) {
    PlatformTestTakeDebugOutput();
    const std::pair<const char *, std::string> files[] = {
        {"bad.x", "xof 0302txt 0032\nFrame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,5;; } }\n"},
        {"bad.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"o\" {\r\n\tvertex 1 (\r\n}\r\n"},
        {"bad.pmd", std::string("Pmd") + std::string("\xcd\xcc\x8c\x3f", 4)},
    };
    for (const auto &[name, bytes] : files) {
        WriteFile(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        EXPECT_EQ(LoadModel(name), -1) << name;
    }
    const std::string log = PlatformTestTakeDebugOutput();
    for (const char *prefix : {"Load XFile : ", "MQO Load Error : ", "PMD Load Error : "})
        EXPECT_NE(log.find(prefix), std::string::npos) << prefix;
    EXPECT_EQ(g_modelSystem.bases.entries, nullptr);
}

}  // namespace
