// Writes the model fuzz drivers' corpus into a folder: an X file in text and binary form, an MQO
// file, a PMD file and a VMD motion, each whole, cut at a spread of lengths and with bytes
// changed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/pmd_fixture.h"
#include "model/x_fixture.h"

namespace {

void Write(const std::filesystem::path &folder, const std::string &name, const std::string &bytes) {
    std::ofstream(folder / name, std::ios::binary).write(bytes.data(), (long)bytes.size());
}

std::vector<XNode> XDocument() {
    std::vector<XNode> doc = XMinimalDocument();
    XNode &mesh = doc[0].children[1];
    mesh.Child(XObj("MeshNormals").Ints({1}).Floats({0, 0, 1}).Ints({1, 4, 0, 0, 0, 0}));
    mesh.Child(XObj("MeshVertexColors").Ints({1}).Ints({2}).Floats({1, 0, 0, 1}));
    mesh.Child(XObj("SkinWeights").Str("Root").Ints({1, 3}).Floats({1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    XNode anim = XObj("Animation").Ref("Root");
    anim.Child(XObj("AnimationKey").Ints({0, 1, 0, 4}).Floats({1, 0, 0, 0}));
    anim.Child(XObj("AnimationKey").Ints({4, 1, 5, 16}).Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}));
    doc.push_back(XObj("AnimationSet", "Walk").Child(anim));
    return doc;
}

const char kMqo[] =
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\n"
    "Material 2 {\r\n"
    "\t\"a\" col(0.5 0.5 0.5 0.25) dif(0.8) amb(0.6) emi(0.2) spc(0.1) power(5) tex(\"a.bmp\") aplane(\"b.bmp\") bump(\"c.bmp\")\r\n"
    "\t\"b\" col(1 1 1 1)\r\n"
    "}\r\n"
    "Object \"o\" {\r\n\tdepth 0\r\n\tvisible 15\r\n\tfacet 59.5\r\n\tmirror 1\r\n\tmirror_axis 1\r\n"
    "\tvertex 4 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t1 1 0\r\n\t\t0 1 0\r\n\t}\r\n"
    "\tface 2 {\r\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 1 1) COL(4294967295 255 65280)\r\n\t\t4 V(0 1 2 3) M(1)\r\n\t}\r\n"
    "}\r\n"
    "Object \"p\" {\r\n\tdepth 1\r\n}\r\n"
    "Eof\r\n";

std::string Pmd() {
    PmdFile f = PmdTriangle();
    f.bones = {{"leg"}, {"ひざ", 0, {0, -5, 0}}, {"ankle", 1, {0, -10, 0}}, {"target", 0xFFFF, {0, -8, 2}}};
    f.vertices[1].bone1 = 1, f.vertices[1].weight = 40;
    f.iks = {{3, 2, 8, 1, {1, 0}}};
    f.morphs = {{"base", {{0, {0, 0, 0}}}}, {"smile", {{0, {0, 1, 0}}}}};
    return f.Bytes();
}

std::string Vmd() {
    VmdFile v;
    VmdBoneKey a, b;
    a.name = b.name = "leg";
    a.frame = 2;
    b.frame = 9;
    b.rotation[0] = 0.5f;
    b.curve[3][0] = 0, b.curve[3][1] = 127;
    v.bones = {a, b};
    v.morphs = {{"smile", 3, 1.0f}};
    return v.Bytes();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::pair<std::string, std::string> fixtures[] = {
        {"text.x", XText(XDocument())}, {"binary.x", XBinary(XDocument(), true)}, {"binary32.x", XBinary(XDocument(), false)},
        {"model.mqo", kMqo},           {"model.pmd", Pmd()},                     {"motion.vmd", Vmd()},
    };
    int count = 0;
    for (const auto &[name, bytes] : fixtures) {
        Write(folder, name, bytes);
        ++count;
        for (int part = 1; part < 16; ++part, ++count)
            Write(folder, name + ".cut" + std::to_string(part), bytes.substr(0, bytes.size() * part / 16));
        for (size_t i = 0; i < bytes.size(); i += i < 64 ? 5 : bytes.size() / 24 + 1, ++count) {
            std::string bad = bytes;
            bad[i] = (char)(bad[i] ^ 0xFF);
            Write(folder, name + ".flip" + std::to_string(i), bad);
        }
    }
    std::printf("%d files written\n", count);
    return 0;
}
