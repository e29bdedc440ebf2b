// The X file parser: headers, the object tree in both forms, the limits (nesting, corners),
// skipped objects, names against braces, Shift-JIS names, comments, references, and damaged files
// refused with a line and nothing left allocated.
#include "library/model/x_parse.h"
#include "model/live_blocks.h"
#include "model/model_fixture.h"
#include "model/x_fixture.h"

#include <cstring>
#include <functional>

namespace {

class XParseTest : public LogStartTest {
protected:
    std::string Log() { return PlatformTestTakeDebugOutput(); }

    // Parses the bytes (with the 0 byte LoadModel puts behind them) under a fresh root.
    int Parse(const std::string &file) {
        FreeXObjectTree(&list_);
        XOBJECT *root = AddXObject(&list_, XT_FRAME, "XTopFrame", 9, nullptr);
        EXPECT_NE(root, nullptr);
        image_ = file;
        return ParseXObjectTree(image_.c_str(), (int)image_.size(), &list_);
    }

    void TearDown() override {
        FreeXObjectTree(&list_);
        LogStartTest::TearDown();
    }

    XOBJECT *Root() const { return list_.first; }

    // "Template:name" with the children in brackets and resolved references after "->".
    static std::string Describe(const XOBJECT *o) {
        std::string s = std::string(XTEMPLATES[o->templateIndex]) + ":" + o->name;
        std::string inner;
        for (const XOBJECT *c = o->firstChild; c; c = c->nextSibling) inner += (inner.empty() ? "" : ",") + Describe(c);
        for (int i = 0; i < o->refCount; ++i)
            if (o->refObjects[i] && o->refNames[i]) inner += (inner.empty() ? "->" : ",->") + std::string(o->refObjects[i]->name);
        return inner.empty() ? s : s + "[" + inner + "]";
    }
    std::string Tree() const { return Describe(Root()); }

    XOBJECTLIST list_{};
    std::string image_;
};

// Every object of one template in file order.
std::vector<XOBJECT *> All(const XOBJECTLIST &list, int templateIndex) {
    std::vector<XOBJECT *> out;
    for (XOBJECT *o = list.first; o; o = o->nextGlobal)
        if (o->templateIndex == templateIndex) out.push_back(o);
    return out;
}

std::vector<int> Faces(const int32_t *flat, int count) {
    std::vector<int> out;
    for (int f = 0, p = 0; f < count; ++f) {
        const int n = flat[p];
        out.insert(out.end(), flat + p, flat + p + n + 1);
        p += n + 1;
    }
    return out;
}

TEST_F(XParseTest, HeadersOfBothFormsAreTakenOthersRefused) {
    const std::string body = "Frame A { }\n";
    struct Case {
        std::string file;
        int result;
        const char *line;  // expected in the log, or "" for none
    } cases[] = {
        {"xof 0302txt 0032" + body, 0, ""},
        {"xof 0303txt 0064" + body, 0, ""},
        {"xof 0303bin 0064" + XBinName("Frame") + XBinName("A") + XBinCode(10) + XBinCode(11), 0, ""},
        {"xof 0303bin 0032", 0, ""},
        {"xof 0303tzip0032" + body, -1, "対応している xファイル形式はテキスト形式と非圧縮バイナリ形式のみです"},
        {"xof 0303bzip0064", -1, "対応している xファイル形式はテキスト形式と非圧縮バイナリ形式のみです"},
        {"xof 0303", -1, "対応している xファイル形式はテキスト形式と非圧縮バイナリ形式のみです"},
        {"Metasequoia Document\r\n", -1, ""},
        {"xo", -1, ""},
        {"", -1, ""},
    };
    for (const Case &c : cases) {
        Log();
        EXPECT_EQ(Parse(c.file), c.result) << c.file;
        const std::string log = Log();
        if (*c.line) EXPECT_NE(log.find(c.line), std::string::npos) << c.file;
        else EXPECT_EQ(log, "") << c.file;
    }
}

TEST_F(XParseTest, MinimalFileGivesOneTreeInEveryForm) {
    const std::vector<XNode> doc = XMinimalDocument();
    const std::string forms[] = {kXMinimalText, XText(doc), XBinary(doc, true), XBinary(doc, false)};
    for (const std::string &file : forms) {
        ASSERT_EQ(Parse(file), 0) << Log();
        EXPECT_EQ(Tree(), "Frame:XTopFrame[Frame:Root[FrameTransformMatrix:,Mesh:[MeshMaterialList:[Material:[TextureFilename:]],"
                          "MeshTextureCoords:]]]");
        auto *matrix = static_cast<XFRAMETRANSFORMMATRIX *>(All(list_, XT_FRAMETRANSFORMMATRIX)[0]->data);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(matrix->m[i], i % 5 == 0 ? 1.0f : 0.0f);
        auto *mesh = static_cast<XMESH *>(All(list_, XT_MESH)[0]->data);
        ASSERT_EQ(mesh->vertexCount, 4);
        EXPECT_EQ(std::vector<float>(mesh->vertices, mesh->vertices + 12),
                  (std::vector<float>{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}));
        EXPECT_EQ(mesh->faceCount, 1);
        EXPECT_EQ(Faces(mesh->faces, 1), (std::vector<int>{4, 0, 1, 2, 3}));
        EXPECT_EQ(mesh->faceTally, 2);
        auto *ml = static_cast<XMESHMATERIALLIST *>(All(list_, XT_MESHMATERIALLIST)[0]->data);
        EXPECT_EQ(ml->materialCount, 1);
        ASSERT_EQ(ml->indexCount, 1);
        EXPECT_EQ(ml->indices[0], 0);
        auto *m = static_cast<XMATERIAL *>(All(list_, XT_MATERIAL)[0]->data);
        EXPECT_EQ(std::vector<float>(m->face, m->face + 4), (std::vector<float>{1, 1, 1, 1}));
        EXPECT_EQ(m->power, 10.0f);
        EXPECT_STREQ(static_cast<XTEXTUREFILENAME *>(All(list_, XT_TEXTUREFILENAME)[0]->data)->name, "tex.bmp");
        auto *uv = static_cast<XMESHTEXTURECOORDS *>(All(list_, XT_MESHTEXTURECOORDS)[0]->data);
        ASSERT_EQ(uv->count, 4);
        EXPECT_EQ(std::vector<float>(uv->uv, uv->uv + 8), (std::vector<float>{0, 1, 1, 1, 1, 0, 0, 0}));
        EXPECT_EQ(Log(), "");
    }
}

// Frames nested `levels` deep inside the root.
std::vector<XNode> Nested(int levels) {
    XNode inner = XObj("Frame", "F" + std::to_string(levels));
    for (int i = levels - 1; i >= 1; --i) inner = XObj("Frame", "F" + std::to_string(i)).Child(inner);
    return {inner};
}

TEST_F(XParseTest, SixtyFourLevelsAreTakenTheSixtyFifthRefused) {
    for (bool binary : {false, true}) {
        // The root is the first level.
        const auto file = [&](int levels) { return binary ? XBinary(Nested(levels)) : XText(Nested(levels)); };
        EXPECT_EQ(Parse(file(63)), 0) << binary;
        EXPECT_EQ(Log(), "");
        EXPECT_EQ(Parse(file(64)), -1) << binary;
        const std::string log = Log();
        EXPECT_NE(log.find("階層構造の限界数 64 を超えました"), std::string::npos) << log;
        EXPECT_NE(log.find("Load XFile : オブジェクト F64 ( Frame ) のネストが深すぎます"), std::string::npos) << log;
    }
}

TEST_F(XParseTest, FacesOfThirtyTwoCornersAreTakenThirtyThreeRefused) {
    for (bool binary : {false, true}) {
        for (int corners : {32, 33}) {
            std::vector<double> positions;
            std::vector<int> face;
            for (int i = 0; i < corners; ++i) {
                positions.insert(positions.end(), {(double)i, 0, 0});
                face.push_back(i);
            }
            const std::vector<XNode> doc = {XMesh("", positions, {face})};
            const int result = Parse(binary ? XBinary(doc) : XText(doc));
            const std::string log = Log();
            if (corners == 32) {
                EXPECT_EQ(result, 0) << log;
                EXPECT_EQ(Faces(static_cast<XMESH *>(All(list_, XT_MESH)[0]->data)->faces, 1).size(), 33u);
            } else {
                EXPECT_EQ(result, -1);
                EXPECT_NE(log.find("Load XFile : 一つの面で使用できる頂点数の最大数 32 を超えた面がありました( 33 個の頂点 )"),
                          std::string::npos)
                    << log;
            }
        }
    }
}

TEST_F(XParseTest, DeclarationsAndUnknownObjectsAreSkippedWhole) {
    const std::string text = std::string("xof 0302txt 0032\n") +
                             "template Frame {\n <3D82AB46-62DA-11cf-AB39-0020AF71E433>\n [...]\n}\n"
                             "Header { 1; 0; 1; }\n"
                             "Unknown U { Frame Inside { } Other { Frame Deeper { } } 1; }\n"
                             "Frame Kept { Unknown { { Ref } Frame Hidden { } } Frame Child { } }\n";
    ASSERT_EQ(Parse(text), 0) << Log();
    EXPECT_EQ(Tree(), "Frame:XTopFrame[Frame:Kept[Frame:Child]]");

    // Binary: a declaration (keyword tokens, a GUID) and an unknown object with nested objects.
    std::string guid(18, '\0');
    guid[0] = 5;
    const std::string binary = std::string("xof 0303bin 0064") + XBinCode(31) + XBinName("Frame") + XBinCode(10) + guid +
                               XBinCode(14) + XBinCode(18) + XBinCode(11) + XBinName("Unknown") + XBinCode(10) +
                               XBinName("Frame") + XBinName("Inside") + XBinCode(10) + XBinCode(11) +
                               XBinIntList({1, 2, 3}) + XBinCode(11) + XBinName("Frame") + XBinName("Kept") +
                               XBinCode(10) + XBinCode(11);
    ASSERT_EQ(Parse(binary), 0) << Log();
    EXPECT_EQ(Tree(), "Frame:XTopFrame[Frame:Kept]");
}

TEST_F(XParseTest, NamesAgainstTheirBraceReadLikeSpacedOnes) {
    struct Case {
        const char *body;
        const char *tree;
    } cases[] = {
        {"Frame Root{ Frame{ } }", "Frame:XTopFrame[Frame:Root[Frame:]]"},
        {"Frame Root { Frame { } }", "Frame:XTopFrame[Frame:Root[Frame:]]"},
        {"Frame\nRoot\n{\nFrame\n{\n}\n}", "Frame:XTopFrame[Frame:Root[Frame:]]"},
        {"Frame{Frame A{}}", "Frame:XTopFrame[Frame:[Frame:A]]"},
        {"Frame A{}Frame B{}", "Frame:XTopFrame[Frame:A,Frame:B]"},
        {"Mesh M{3;0;0;0;1;0;0;0;1;0;;1;3;0,1,2;;}", "Frame:XTopFrame[Mesh:M]"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Parse(std::string("xof 0302txt 0032\n") + c.body), 0) << c.body << Log();
        EXPECT_EQ(Tree(), c.tree) << c.body;
    }
}

TEST_F(XParseTest, ShiftJisNamesAreReadWholeAndCommentsSkipped) {
    // "ボ" and "マ" end in the bytes of "{" and "}".
    const std::string name = "ボマ";
    ASSERT_EQ((uint8_t)name[1], 0x7B);
    ASSERT_EQ((uint8_t)name[3], 0x7D);
    const std::string text = "xof 0302txt 0032\n# a comment { not an object\n"
                             "Frame " + name + "{ // a comment } too\n"
                             " Frame " + name + "x { }\n}\n"
                             "AnimationSet { Animation { {" + name + "} } }\n";
    ASSERT_EQ(Parse(text), 0) << Log();
    EXPECT_EQ(Tree(), "Frame:XTopFrame[Frame:" + name + "[Frame:" + name + "x],AnimationSet:[Animation:[->" + name + "]]]");
}

TEST_F(XParseTest, ReferencesResolveBothWaysToTheFirstObjectOfTheName) {
    const std::string text = "xof 0302txt 0032\n"
                             "Frame Root { Frame Root { } }\n"
                             "AnimationSet Set { Animation Walk { { Root } AnimationKey { 0; 0; } } }\n"
                             "Animation Lost { {Nowhere} }\n";
    ASSERT_EQ(Parse(text), 0);
    EXPECT_NE(Log().find("Load XFile : 間接参照が失敗しました"), std::string::npos);
    const std::vector<XOBJECT *> frames = All(list_, XT_FRAME);
    XOBJECT *walk = All(list_, XT_ANIMATION)[0];
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(XObjectOf(FindXChild(XT_FRAME, walk)), frames[1]) << "the first Root in file order";
    EXPECT_EQ(XObjectOf(FindXChild(XT_ANIMATION, frames[1])), walk) << "the back-reference";
    EXPECT_EQ(FindXChild(XT_ANIMATION, frames[2]), nullptr);
    XOBJECT *out[2];
    EXPECT_EQ(CollectXChildren(out, XT_ANIMATIONKEY, walk), 1);
    EXPECT_EQ(FindXChild(XT_FRAME, All(list_, XT_ANIMATION)[1]), nullptr) << "unresolved references are not seen";
    EXPECT_EQ(XObjectOf(FindXObject(&list_, XT_FRAME, "Root")), frames[1]);
    EXPECT_EQ(FindXObject(&list_, XT_MESH, "Root"), nullptr);
}

TEST_F(XParseTest, TemplateMembersInBothForms) {
    XNode mesh = XMesh("M", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1, 2}});
    mesh.Child(XObj("MeshNormals").Ints({1}).Floats({0, 0, 1}).Ints({1, 3, 0, 0, 0}));
    XNode colours = XObj("MeshVertexColors").Ints({2});
    colours.Ints({0}).Floats({1, 0, 0, 1}).Ints({2}).Floats({0, 0.5, 0, 0.25});
    mesh.Child(colours);
    mesh.Child(XObj("XSkinMeshHeader").Ints({2, 4, 1}));
    mesh.Child(XObj("SkinWeights").Str("Bone").Ints({2, 0, 2}).Floats({0.25, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}));
    XNode key = XObj("AnimationKey").Ints({0, 2, 0, 4}).Floats({1, 0, 0, 0}).Ints({10, 4}).Floats({0, 1, 0, 0});
    XNode set = XObj("AnimationSet", "S").Child(
        XObj("Animation").Ref("M").Child(XObj("AnimationOption").Ints({1, 0})).Child(key));
    const std::vector<XNode> doc = {XObj("Frame", "F").Child(mesh), set};
    for (const std::string &file : {XText(doc), XBinary(doc), XBinary(doc, false)}) {
        ASSERT_EQ(Parse(file), 0) << Log();
        auto *n = static_cast<XMESHNORMALS *>(All(list_, XT_MESHNORMALS)[0]->data);
        EXPECT_EQ(n->count, 1);
        EXPECT_EQ(n->normals[2], 1.0f);
        EXPECT_EQ(Faces(n->faces, n->faceCount), (std::vector<int>{3, 0, 0, 0}));
        auto *vc = static_cast<XMESHVERTEXCOLORS *>(All(list_, XT_MESHVERTEXCOLORS)[0]->data);
        ASSERT_EQ(vc->count, 2);
        EXPECT_EQ(vc->colours[1].vertex, 2);
        EXPECT_EQ(vc->colours[1].rgba[3], 0.25f);
        auto *h = static_cast<XSKINMESHHEADER *>(All(list_, XT_XSKINMESHHEADER)[0]->data);
        EXPECT_EQ(h->values[1], 4);
        auto *sw = static_cast<XSKINWEIGHTS *>(All(list_, XT_SKINWEIGHTS)[0]->data);
        EXPECT_STREQ(sw->boneName, "Bone");
        ASSERT_EQ(sw->count, 2);
        EXPECT_EQ(sw->vertices[1], 2);
        EXPECT_EQ(sw->weights[0], 0.25f);
        EXPECT_EQ(sw->matrix[12], 5.0f);
        auto *k = static_cast<XANIMATIONKEY *>(All(list_, XT_ANIMATIONKEY)[0]->data);
        EXPECT_EQ(k->keyType, 0);
        ASSERT_EQ(k->keyCount, 2);
        EXPECT_EQ(k->times[1], 10);
        EXPECT_EQ(k->endTime, 10);
        EXPECT_EQ(k->values[k->valueStarts[1] + 1], 1.0f);
        EXPECT_EQ(static_cast<XANIMATIONOPTION *>(All(list_, XT_ANIMATIONOPTION)[0]->data)->open, 1);
    }
}

// Damage: every file refused with a line, nothing allocated left behind, nothing read outside.
TEST_F(XParseTest, DamagedFilesAreRefusedWithALine) {
    const std::vector<XNode> doc = XMinimalDocument();
    const std::string text = kXMinimalText, binary = XBinary(doc);
    const std::string head = "xof 0302txt 0032\n";
    struct Case {
        std::string file;
        const char *line;
    } cases[] = {
        {head + "Frame A {", "予期しない EOF です"},
        {head + "Frame A { Frame B { }", "予期しない EOF です"},
        {head + "}", "Load XFile : オブジェクト XTopFrame ( Frame ) 解析中にエラーが発生しました"},
        {head + "Frame A { TextureFilename { \"never closed; } }", "( TextureFilename ) 解析中にエラー"},
        {head + "Mesh { 2000000000; 0;0;0;; 0;; }", "( Mesh ) 解析中にエラー"},
        {head + "Mesh { -3; 0;0;0;; 0;; }", "( Mesh ) 解析中にエラー"},
        {head + "Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,3;; }", "( Mesh ) 解析中にエラー"},
        {head + "Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,-1;; }", "( Mesh ) 解析中にエラー"},
        {head + "Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 2;0,1;; }", "( Mesh ) 解析中にエラー"},
        {head + "Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }",
         "( MeshNormals ) 解析中にエラー"},
        {head + "MeshMaterialList { 1; 2; 0, 1;; }", "Load XFile : nMaterials より大きいマテリアルインデックスがありました"},
        {head + "MeshMaterialList { 257; 0;; }", "Load XFile : メッシュのマテリアルの数( 257 )が上限の 256 を超えています"},
        {head + "AnimationKey { 0; 1000000000; }", "( AnimationKey ) 解析中にエラー"},
        {head + "SkinWeights { \"B\"; 900000000; }", "( SkinWeights ) 解析中にエラー"},
        {"xof 0303bin 0064" + XBinName("Frame") + XBinCode(10), "予期しない EOF です"},
        {"xof 0303bin 0064" + XBinCode(11), "解析中にエラー"},
        {"xof 0303bin 0064" + XBinName("Mesh") + XBinCode(10) + XBinIntList({1}) + XBinCode(7) + std::string("\xff\xff\xff\x7f", 4),
         "Load XFile : Mesh FloadList"},
        {"xof 0303bin 0064" + XBinName("Material") + XBinCode(10) + XBinIntList({1}), "Load XFile : Material FloadList"},
        {"xof 0303bin 0064" + XBinName("MeshMaterialList") + XBinCode(10) + XBinCode(7), "MeshMaterialList IntergerList"},
        {"xof 0303bin 0064" + XBinName("XSkinMeshHeader") + XBinCode(10) + XBinIntList({1, 2}), "XSkinMeshHeader Not 3 ( 2 )"},
        {"xof 0303bin 0064" + XBinName("FrameTransformMatrix") + XBinCode(10) + XBinIntList({1}),
         "FrameTransformMatrix FloadList"},
        {"xof 0303bin 0064" + XBinName("Frame") + XBinCode(1) + std::string("\xff\xff\xff\xff", 4), "予期しない EOF です"},
    };
    const int blocks = LiveMemBlocks();
    for (const Case &c : cases) {
        Log();
        EXPECT_EQ(Parse(c.file), -1) << c.file;
        const std::string log = Log();
        EXPECT_NE(log.find(c.line), std::string::npos) << c.file << "\n" << log;
        FreeXObjectTree(&list_);
        EXPECT_EQ(LiveMemBlocks(), blocks) << c.file;
    }
    // Every cut of the minimal files, at every byte: refused with a line, unless the text is cut
    // only after its last "}" (or before its first object: an empty file).
    for (size_t cut = 18; cut < text.size(); ++cut) {
        Log();
        const int result = Parse(text.substr(0, cut));
        EXPECT_EQ(result, cut > text.find_last_of('}') ? 0 : -1) << cut;
        if (result != 0) {
            EXPECT_NE(Log(), "") << cut;
        }
    }
    for (size_t cut = 17; cut < binary.size(); ++cut) {
        Log();
        EXPECT_EQ(Parse(binary.substr(0, cut)), -1) << cut;
        EXPECT_NE(Log(), "") << cut;
    }
    FreeXObjectTree(&list_);
    EXPECT_EQ(LiveMemBlocks(), blocks);
}

}  // namespace
