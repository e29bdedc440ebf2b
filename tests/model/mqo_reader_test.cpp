// The MQO reader's fill step: materials with their attributes, objects with depth, visibility,
// transforms, facet and mirror, faces with M, UV and COL, in files with CR LF or bare LF line
// ends; damaged files refused with their line and nothing left allocated.
#include "library/model/mqo_reader.h"
#include "model/load_data_test.h"

#include <cmath>
#include <cstring>

namespace {

// A file from lines, joined by the line end given.
std::string Mqo(const std::vector<std::string> &lines, const std::string &eol = "\r\n") {
    std::string out = "Metasequoia Document" + eol + "Format Text Ver 1.0" + eol;
    for (const std::string &l : lines) out += l + eol;
    return out;
}

const std::vector<std::string> kMaterials = {
    "Material 3 {",
    "\t\"red\" shader(3) col(0.500 0.500 0.500 0.250) dif(0.800) amb(0.600) emi(0.200) spc(0.100) power(5.00) "
    "tex(\"r.bmp\") aplane(\"ra.bmp\") bump(\"maps\\b.bmp\")",
    "\t\"clear\" col(1.000 1.000 1.000 0.000) dif(1.000)",
    "\t\"unused\" col(1 1 1 1) tex(\"u.bmp\")",
    "}",
};

class MqoReaderTest : public LoadDataTest {
protected:
    int Fill(const std::string &file) {
        const char *image = Image(file);
        return Keep(FillMqoLoadData(image, (int)file.size(), "m.mqo", "m", &data_));
    }
};

std::vector<float> Vec(const float *v, int n) { return std::vector<float>(v, v + n); }

TEST_F(MqoReaderTest, MaterialsTakeEveryAttributeWithEitherLineEnd) {
    std::vector<std::string> lines = kMaterials;
    lines.insert(lines.end(), {"Object \"o\" {", "\tvertex 3 {", "\t\t0 0 0", "\t\t1 0 0", "\t\t0 1 0", "\t}", "\tface 1 {",
                               "\t\t3 V(0 1 2) M(0)", "\t}", "}", "Eof"});
    for (const char *eol : {"\r\n", "\n"}) {
        SCOPED_TRACE(std::strlen(eol));
        ASSERT_EQ(Fill(Mqo(lines, eol)), 0) << Log();
        EXPECT_EQ(data_.ownSmoothing, 1);
        ASSERT_EQ(data_.materialCount, 4);
        const MODELLOADMATERIAL *red = Material("red");
        EXPECT_EQ(Vec(red->diffuse, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 0.25f}));
        EXPECT_EQ(Vec(red->ambient, 4), (std::vector<float>{0.6f, 0.6f, 0.6f, 0}));
        EXPECT_EQ(Vec(red->emissive, 4), (std::vector<float>{0.1f, 0.1f, 0.1f, 0}));
        EXPECT_EQ(Vec(red->specular, 4), (std::vector<float>{0.1f, 0.1f, 0.1f, 0}));
        EXPECT_EQ(red->power, 20.0f);
        ASSERT_EQ(red->diffuseLayerCount, 1);
        EXPECT_STREQ(red->diffuseLayers[0]->name, "r.bmp");
        EXPECT_STREQ(red->diffuseLayers[0]->alphaPath, "ra.bmp");
        ASSERT_EQ(red->normalLayerCount, 1);
        EXPECT_STREQ(red->normalLayers[0]->name, "b.bmp");
        EXPECT_EQ(red->normalLayers[0]->bump, 1);
        EXPECT_EQ(Material("clear")->diffuse[3], 0.0f);
        // A material no face uses loses its texture; "NoMaterial" comes last.
        EXPECT_EQ(Material("unused")->diffuseLayerCount, 0);
        EXPECT_EQ(Vec(data_.lastMaterial->diffuse, 4), (std::vector<float>{1, 1, 1, 1}));
        EXPECT_STREQ(data_.lastMaterial->name, "NoMaterial");
    }
}

TEST_F(MqoReaderTest, ObjectsTakeDepthVisibilityTransformsAndFaces) {
    std::vector<std::string> lines = kMaterials;
    lines.insert(lines.end(), {
        "Scene {", "\tpos 0 0 1500", "\tdirlights 1 {", "\t\tlight {", "\t\t}", "\t}", "}",
        "Object \"root\" {", "\tdepth 0", "\tvisible 15", "\tfacet 59.5", "\tscale 2 2 2", "\trotation 90 0 -180",
        "\ttranslation 1 2 3", "\tvertex 5 {", "\t\t1 2 3", "\t\t0 0 0", "\t\t1 0 0", "\t\t1 1 0", "\t\t0 1 0", "\t}",
        "\tface 4 {",
        "\t\t3 V(0 1 2) M(0) UV(0 0.5 1 0.5 1 1) COL(4278190335 4278255360 4294901760)",
        "\t\t4 V(1 2 3 4) M(0)",
        "\t\t5 V(0 1 2 3 4) M(0) UV(0 0 0 0 0 0 0 0 0 0) COL(0 0 0 0 0)",
        "\t\t3 V(4 3 2)",
        "\t}",
        "}",
        // F18: no depth line, the first attribute still read.
        "Object \"child\" {", "\tvertex 3 {", "\t\t0 0 0", "\t\t1 0 0", "\t\t0 1 0", "\t}", "\tvisible 0", "\tface 1 {",
        "\t\t3 V(0 1 2)", "\t}", "}",
        "Object \"a\" {", "\tdepth 1", "}",
        "Object \"b\" {", "\tdepth 2", "}",
        "Object \"c\" {", "\tdepth 1", "}",
        "Object \"gone\" {", "\tvertex 3 {", "\t\t0 0 0", "\t\t1 0 0", "\t\t0 1 0", "\t}", "\tface 1 {", "\t\t3 V(0 1 2) M(1)",
        "\t}", "}",
        "Eof",
    });
    ASSERT_EQ(Fill(Mqo(lines)), 0) << Log();
    const MODELLOADFRAME *root = Frame("root");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->visible, 1);
    EXPECT_FLOAT_EQ(root->smoothingAngle, (float)(59.5 * 3.141592653589793 / 180));
    EXPECT_EQ(root->scale.x, 2.0f);
    EXPECT_FLOAT_EQ(root->rotation.x, 1.5707964f);
    EXPECT_FLOAT_EQ(root->rotation.z, -3.1415927f);
    EXPECT_EQ(root->translation.z, 3.0f);
    EXPECT_EQ(Frame("child")->visible, 0);
    EXPECT_EQ(Frame("child")->meshCount, 1);
    EXPECT_EQ(Frame("child")->parent, nullptr);
    // "child" is the latest object at depth 0 when "a" comes.
    EXPECT_EQ(Frame("a")->parent, Frame("child"));
    EXPECT_EQ(Frame("b")->parent, Frame("a"));
    EXPECT_EQ(Frame("c")->parent, Frame("child"));
    // Objects without faces and one whose only material is clear keep their frames, no mesh.
    EXPECT_EQ(Frame("a")->meshCount, 0);
    EXPECT_EQ(Frame("gone")->meshCount, 0);
    EXPECT_EQ(data_.meshCount, 2);

    const MODELLOADMESH *mesh = root->firstMesh;
    ASSERT_EQ(mesh->positionCount, 5);
    EXPECT_EQ(mesh->positions[0].z, -3.0f);
    ASSERT_EQ(mesh->faceCount, 3);  // the five-corner face is dropped
    EXPECT_EQ(mesh->faces[1].vertexCount, 4);
    EXPECT_EQ(mesh->faces[1].corners[3].position, 4);
    ASSERT_EQ(mesh->materialCount, 2);
    EXPECT_STREQ(mesh->materials[0]->name, "red");
    EXPECT_STREQ(mesh->materials[1]->name, "NoMaterial");
    EXPECT_EQ(mesh->faces[2].material, 1);
    const MODELLOADFACE &first = mesh->faces[0];
    EXPECT_EQ(mesh->uvs[0][first.corners[1].uvs[0]].x, 1.0f);
    EXPECT_EQ(mesh->uvs[0][first.corners[1].uvs[0]].y, 0.5f);
    // COL: bytes R, G, B, A times the material's diffuse.
    EXPECT_EQ(Vec(mesh->colours[first.corners[0].colour], 4), (std::vector<float>{0.4f, 0, 0, 0.25f}));
    EXPECT_EQ(Vec(mesh->colours[first.corners[2].colour], 4), (std::vector<float>{0, 0, 0.4f, 0.25f}));
    // M without COL: the diffuse; neither: white.
    EXPECT_EQ(Vec(mesh->colours[mesh->faces[1].corners[0].colour], 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 0.25f}));
    EXPECT_EQ(Vec(mesh->colours[mesh->faces[2].corners[0].colour], 4), (std::vector<float>{1, 1, 1, 1}));
}

TEST_F(MqoReaderTest, MirrorsAlongOneAxisSharingPlaneVertices) {
    struct Case {
        int axis;
        int component;  // -1: nothing mirrored
    } cases[] = {{1, 0}, {2, 1}, {4, 2}, {3, -1}, {0, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.axis);
        ASSERT_EQ(Fill(Mqo({"Object \"m\" {", "\tmirror 1", "\tmirror_axis " + std::to_string(c.axis), "\tvertex 3 {",
                            "\t\t0 0 0", "\t\t2 2 -2", "\t\t2 0 0", "\t}", "\tface 1 {", "\t\t3 V(0 1 2) UV(0 0 1 0 1 1)",
                            "\t}", "}"})),
                  0)
            << Log();
        const MODELLOADMESH *mesh = data_.firstMesh;
        if (c.component < 0) {
            EXPECT_EQ(mesh->positionCount, 3);
            EXPECT_EQ(mesh->faceCount, 1);
            continue;
        }
        ASSERT_EQ(mesh->positionCount, 6);
        ASSERT_EQ(mesh->faceCount, 2);
        EXPECT_EQ((&mesh->positions[4].x)[c.component], -2.0f);
        EXPECT_EQ((&mesh->positions[4].x)[(c.component + 1) % 3], 2.0f);
        // Reversed corners: (0, 1, 2) -> (2', 1', 0); vertex 0 lies on every plane and vertex 2
        // on the y and z planes.
        const MODELLOADFACE &m = mesh->faces[1];
        const int two = c.component == 0 ? 5 : 2;
        EXPECT_EQ((std::vector<int>{m.corners[0].position, m.corners[1].position, m.corners[2].position}),
                  (std::vector<int>{two, 4, 0}));
        EXPECT_EQ(m.corners[0].uvs[0], mesh->faces[0].corners[2].uvs[0]);
    }
}

TEST_F(MqoReaderTest, FileWithoutMaterialsUsesNoMaterialEverywhere) {
    ASSERT_EQ(Fill(Mqo({"Object \"o\" {", "\tvertex 4 {", "\t\t0 0 0", "\t\t1 0 0", "\t\t1 1 0", "\t\t0 1 0", "\t}",
                        "\tface 2 {", "\t\t3 V(0 1 2)", "\t\t4 V(0 1 2 3)", "\t}", "}"})),
              0)
        << Log();
    ASSERT_EQ(data_.materialCount, 1);
    EXPECT_STREQ(data_.firstMaterial->name, "NoMaterial");
    EXPECT_EQ(data_.firstMesh->materialCount, 1);
    EXPECT_EQ(data_.firstMesh->faces[1].material, 0);
}

TEST_F(MqoReaderTest, DamagedFilesAreRefusedWithALineAndNothingKept) {
    auto object = [](std::vector<std::string> body) {
        std::vector<std::string> lines = {"Material 1 {", "\t\"m\" col(1 1 1 1)", "}", "Object \"o\" {", "\tvertex 3 {",
                                          "\t\t0 0 0", "\t\t1 0 0", "\t\t0 1 0", "\t}"};
        lines.insert(lines.end(), body.begin(), body.end());
        lines.push_back("}");
        return Mqo(lines);
    };
    struct Case {
        std::string file;
        const char *line;
    } cases[] = {
        {Mqo({"Material -2 {", "}"}), "マテリアルの数( -2 )が不正です"},
        {Mqo({"Material 1 (", "}"}), "Material 数の後に { がありません"},
        {Mqo({"Material 1 {", "\tm col(1 1 1 1)", "}"}), "No.0 の Material 名の取得に失敗しました"},
        {Mqo({"Material 1 {", "\t\"m\" col 1 1 1 1", "}"}), "No.0 の Material の col の後に ( がありませんでした"},
        {Mqo({"Material 1 {", "\t\"m\" dif(1 1)", "}"}), "No.0 の Material の dif の数値の後に ) がありませんでした"},
        {Mqo({"Material 1 {", "\t\"m\" tex(r.bmp)", "}"}), "No.0 の tex の文字列読み込みに失敗しました"},
        {Mqo({"Material 1 {", "\t\"m\" tex(\"open", "}"}), "No.0 の tex の文字列読み込みに失敗しました"},
        {Mqo({"Material 1 {", "\t\"m\" ~", "}"}), "No.0 の Material の読み込み中にエラーが発生しました"},
        {Mqo({"Material 2 {", "\t\"m\"", "}"}), "No.1 の Material 名の取得に失敗しました"},
        {Mqo({"Material 1 {", "\t\"m\"", "\t\"n\"", "}"}), "Material チャンクの終端に } がありません"},
        {Mqo({"Scene {", "\t\"open", "}"}), "予期せぬ EOF です"},
        {Mqo({"Object o {", "}"}), "Object チャンクの名前の取得に失敗しました"},
        {Mqo({"Object \"o\" (", "}"}), "Object チャンク名の後に { がありません"},
        {Mqo({"Object \"o\" {", "\tdepth 1024", "}"}), "Object o チャンクの depth( 1024 )が不正です"},
        {Mqo({"Object \"o\" {", "\tvertex 1 (", "}"}), "Object o チャンクの vertex 後に { がありません"},
        {Mqo({"Object \"o\" {", "\tvertex 1 {", "\t\t0 0 0 0", "}"}), "Object o チャンクの vertex の終端に } がありません"},
        {Mqo({"Object \"o\" {", "\tvertex 99999999 {", "}"}), "Object o チャンクの頂点数が不正です"},
        {Mqo({"Object \"o\" {", "\t~", "}"}), "予期せぬ EOF です"},
        {Mqo({"Material 0 {", "}", "Object \"o\" {", "\t~", "}"}), "Object o チャンクの解析中にエラーが発生しました"},
        {object({"\tface 1 (", "\t}"}), "Object o チャンクの face 後に { がありません"},
        {object({"\tface 1 {", "\t\t3 (0 1 2)", "\t}"}), "Object o チャンクの face の頂点数の数の後に V がありません"},
        {object({"\tface 1 {", "\t\t3 V 0 1 2", "\t}"}), "Object o チャンクの face の V の ( がありません"},
        {object({"\tface 1 {", "\t\t3 V(0 1 3)", "\t}"}), "Object o チャンクの face の 2番目の V の頂点インデックスが不正です"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2 0)", "\t}"}), "Object o チャンクの face の V の ) がありません"},
        {object({"\tface 1 {", "\t\t33 V(0 1 2)", "\t}"}), "Object o チャンクの face の頂点数( 33 )が不正です"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) M 0", "\t}"}), "Object o チャンクの face の M の ( がありません"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) M(1)", "\t}"}), "Object o チャンクの face の M の値( 1 )が不正です"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) M(0 0)", "\t}"}), "Object o チャンクの face の M の ) がありません"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) UV(0 0)", "\t}"}), "Object o チャンクの face の UV の値が不正です"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) COL 1", "\t}"}), "Object o チャンクの face の COL の ( がありません"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2) COL(1 1 1 1)", "\t}"}), "Object o チャンクの face の COL の ) がありません"},
        {object({"\tface 2 {", "\t\t3 V(0 1 2)", "\t}"}), "Object o チャンクの face の頂点数( -1 )が不正です"},
        {object({"\tface 1 {", "\t\t3 V(0 1 2)", "\t\t3 V(0 1 2)"}), "Object o チャンクの face の終端に } がありません"},
    };
    Log();
    const int before = LiveMemBlocks();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Fill(c.file), -1);
        const std::string log = Log();
        EXPECT_NE(log.find(std::string("MQO Load Error : ") + c.line), std::string::npos) << log;
        EXPECT_EQ(LiveMemBlocks(), before);
    }
    // Another kind of file: silently refused. Every cut of a good file: read or refused with a line.
    for (const std::string &other : {std::string("xof 0302txt 0032"), std::string("Metasequoia Document"), std::string()}) {
        EXPECT_EQ(Fill(other), -1);
        EXPECT_EQ(Log(), "");
    }
    const std::string good = object({"\tmirror 1", "\tmirror_axis 1", "\tface 1 {", "\t\t3 V(0 1 2) M(0) UV(0 0 1 0 1 1) COL(1 2 3)", "\t}"}) + "Eof\r\n";
    ASSERT_EQ(Fill(good), 0) << Log();
    Release();
    for (size_t cut = 42; cut < good.size(); ++cut) {
        if (Fill(good.substr(0, cut)) != 0) {
            EXPECT_NE(Log().find("MQO Load Error : "), std::string::npos) << cut;
        }
        Release();
        EXPECT_EQ(LiveMemBlocks(), before) << cut;
    }
}

}  // namespace
