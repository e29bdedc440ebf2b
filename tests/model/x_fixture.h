// X file fixtures: a small document of data objects written out in the text form or in the
// binary form (32- or 64-bit floats), so that every case can be read in both.
//
// A member group is what the binary form keeps as one token (an integer list, a float list or a
// string); the text form writes every value followed by ";".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XGroup {
    enum Kind { Ints, Floats, String, Raw } kind;
    std::vector<double> values;
    std::string text;  // String: the string; Raw: text written as it stands (text form only)
};

struct XNode {
    std::string templ;       // empty for a reference
    std::string name;        // the object's name, or the name a reference names
    std::vector<XGroup> groups;
    std::vector<XNode> children;

    XNode &Ints(std::vector<double> v) {
        groups.push_back({XGroup::Ints, std::move(v), {}});
        return *this;
    }
    XNode &Floats(std::vector<double> v) {
        groups.push_back({XGroup::Floats, std::move(v), {}});
        return *this;
    }
    XNode &Str(std::string s) {
        groups.push_back({XGroup::String, {}, std::move(s)});
        return *this;
    }
    XNode &Child(XNode n) {
        children.push_back(std::move(n));
        return *this;
    }
    XNode &Ref(std::string target) {
        XNode r;
        r.name = std::move(target);
        children.push_back(std::move(r));
        return *this;
    }
};

inline XNode XObj(std::string templ, std::string name = "") {
    XNode n;
    n.templ = std::move(templ);
    n.name = std::move(name);
    return n;
}

// The text form: "xof 0302txt 0032" and the objects.
std::string XText(const std::vector<XNode> &top);
// The binary form: "xof 0303bin 0064" (doubles) or "0032".
std::string XBinary(const std::vector<XNode> &top, bool doubles = true);

// Binary tokens for hand-made damage.
std::string XBinName(const std::string &name);
std::string XBinIntList(const std::vector<int32_t> &v);
std::string XBinCode(int code);

// Pieces of the usual objects.
XNode XMesh(const std::string &name, const std::vector<double> &positions, const std::vector<std::vector<int>> &faces);
// The document of the minimal file: frame "Root" with an identity matrix, a quad mesh, one
// material (white, power 10) with texture "tex.bmp", and UVs.
std::vector<XNode> XMinimalDocument();
// The minimal file exactly as a person writes it.
extern const char kXMinimalText[];

inline std::vector<uint8_t> Bytes(const std::string &s) { return std::vector<uint8_t>(s.begin(), s.end()); }
