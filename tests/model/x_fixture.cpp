#include "model/x_fixture.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Number(double v, bool integer) {
    char buffer[64];
    if (integer) std::snprintf(buffer, sizeof buffer, "%lld", (long long)v);
    else std::snprintf(buffer, sizeof buffer, "%.9g", v);
    return buffer;
}

void WriteText(std::string &out, const XNode &n, int depth) {
    const std::string indent((size_t)depth, ' ');
    if (n.templ.empty()) {
        out += indent + "{ " + n.name + " }\n";
        return;
    }
    out += indent + n.templ + (n.name.empty() ? "" : " " + n.name) + " {\n" + indent + " ";
    for (const XGroup &g : n.groups) {
        if (g.kind == XGroup::String) out += "\"" + g.text + "\";";
        else if (g.kind == XGroup::Raw) out += g.text;
        else
            for (double v : g.values) out += Number(v, g.kind == XGroup::Ints) + ";";
        out += " ";
    }
    out += "\n";
    for (const XNode &c : n.children) WriteText(out, c, depth + 1);
    out += indent + "}\n";
}

void Put16(std::string &out, int v) {
    out += (char)(v & 0xFF);
    out += (char)((v >> 8) & 0xFF);
}

void Put32(std::string &out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += (char)((v >> (8 * i)) & 0xFF);
}

void WriteBinary(std::string &out, const XNode &n, bool doubles) {
    if (n.templ.empty()) {
        out += XBinCode(10) + XBinName(n.name) + XBinCode(11);
        return;
    }
    out += XBinName(n.templ);
    if (!n.name.empty()) out += XBinName(n.name);
    out += XBinCode(10);
    for (const XGroup &g : n.groups) {
        if (g.kind == XGroup::String) {
            Put16(out, 2);
            Put32(out, (uint32_t)g.text.size());
            out += g.text;
            Put16(out, 20);  // the ";" keyword after a string
        } else if (g.kind == XGroup::Ints) {
            std::vector<int32_t> v(g.values.begin(), g.values.end());
            out += XBinIntList(v);
        } else if (g.kind == XGroup::Floats) {
            Put16(out, 7);
            Put32(out, (uint32_t)g.values.size());
            for (double v : g.values) {
                if (doubles) {
                    char b[8];
                    std::memcpy(b, &v, 8);
                    out.append(b, 8);
                } else {
                    const float f = (float)v;
                    char b[4];
                    std::memcpy(b, &f, 4);
                    out.append(b, 4);
                }
            }
        }
    }
    for (const XNode &c : n.children) WriteBinary(out, c, doubles);
    out += XBinCode(11);
}

}  // namespace

std::string XText(const std::vector<XNode> &top) {
    std::string out = "xof 0302txt 0032\n";
    for (const XNode &n : top) WriteText(out, n, 0);
    return out;
}

std::string XBinary(const std::vector<XNode> &top, bool doubles) {
    std::string out = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
    for (const XNode &n : top) WriteBinary(out, n, doubles);
    return out;
}

std::string XBinName(const std::string &name) {
    std::string out;
    Put16(out, 1);
    Put32(out, (uint32_t)name.size());
    return out + name;
}

std::string XBinIntList(const std::vector<int32_t> &v) {
    std::string out;
    Put16(out, 6);
    Put32(out, (uint32_t)v.size());
    for (int32_t x : v) Put32(out, (uint32_t)x);
    return out;
}

std::string XBinCode(int code) {
    std::string out;
    Put16(out, code);
    return out;
}

XNode XMesh(const std::string &name, const std::vector<double> &positions, const std::vector<std::vector<int>> &faces) {
    XNode m = XObj("Mesh", name);
    m.Ints({(double)(positions.size() / 3)}).Floats(positions);
    std::vector<double> f{(double)faces.size()};
    for (const auto &face : faces) {
        f.push_back((double)face.size());
        f.insert(f.end(), face.begin(), face.end());
    }
    return m.Ints(f);
}

std::vector<XNode> XMinimalDocument() {
    XNode mesh = XMesh("", {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, {{0, 1, 2, 3}});
    mesh.Child(XObj("MeshMaterialList")
                   .Ints({1, 1, 0})
                   .Child(XObj("Material")
                              .Floats({1, 1, 1, 1, 10, 0, 0, 0, 0, 0, 0})
                              .Child(XObj("TextureFilename").Str("tex.bmp"))));
    mesh.Child(XObj("MeshTextureCoords").Ints({4}).Floats({0, 1, 1, 1, 1, 0, 0, 0}));
    XNode root = XObj("Frame", "Root");
    root.Child(XObj("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    root.Child(mesh);
    return {root};
}

const char kXMinimalText[] =
    "xof 0302txt 0032\n"
    "Frame Root {\n"
    " FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    " Mesh { 4; -1;-1;0;, 1;-1;0;, 1;1;0;, -1;1;0;;\n"
    "  1; 4;0,1,2,3;;\n"
    "  MeshMaterialList { 1; 1; 0;;\n"
    "   Material { 1;1;1;1;; 10; 0;0;0;; 0;0;0;;\n"
    "    TextureFilename { \"tex.bmp\"; } } }\n"
    "  MeshTextureCoords { 4; 0;1;, 1;1;, 1;0;, 0;0;; } } }\n";
