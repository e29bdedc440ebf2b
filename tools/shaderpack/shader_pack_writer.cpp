#include "tools/shaderpack/shader_pack_writer.h"

#include "tools/kla/kla_writer.h"
#include "tools/lz/lz_encoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kVertexCount = 98304;
constexpr size_t kPixelCount = 27648;
constexpr size_t kPixelSizesAt = kVertexCount * 2;
constexpr size_t kCodeAt = 0x3D800;

void PutSize(std::vector<uint8_t> &out, size_t at, size_t size) {
    out[at] = (uint8_t)size;
    out[at + 1] = (uint8_t)(size >> 8);
}

}  // namespace

std::vector<uint32_t> SyntheticShaderCode(bool pixel, int number) {
    return {pixel ? 0xFFFF0200u : 0xFFFE0200u, 0x0001FFFEu, (uint32_t)number, 0x0000FFFFu};
}

std::vector<uint8_t> BuildShaderPackEntry(const std::vector<PackShader> &vertex, const std::vector<PackShader> &pixel,
                                          int sizeOverride) {
    std::vector<uint8_t> out(kCodeAt, 0);
    auto sorted = [](std::vector<PackShader> list) {
        std::sort(list.begin(), list.end(), [](const PackShader &a, const PackShader &b) { return a.number < b.number; });
        return list;
    };
    std::vector<PackShader> vs = sorted(vertex), ps = sorted(pixel);
    for (size_t i = 0; i < vs.size(); ++i) {
        size_t size = vs[i].code.size() * 4;
        PutSize(out, (size_t)vs[i].number * 2, i == 0 && sizeOverride >= 0 ? (size_t)sizeOverride : size);
    }
    for (const PackShader &s : ps) PutSize(out, kPixelSizesAt + (size_t)s.number * 2, s.code.size() * 4);
    for (const std::vector<PackShader> *list : {&vs, &ps})
        for (const PackShader &s : *list) {
            size_t at = out.size();
            out.resize(at + s.code.size() * 4);
            if (!s.code.empty()) std::memcpy(out.data() + at, s.code.data(), s.code.size() * 4);
        }
    return out;
}

std::vector<uint8_t> BuildEmbeddedShaderPack(const std::vector<uint8_t> &entry, const char *entryName) {
    std::vector<uint8_t> packed = EncodeLzBlock(entry.data(), entry.size());
    KlaNode root = KlaFolder("", {KlaFile(entryName, std::move(packed))});
    std::vector<uint8_t> image = BuildKlaImage(root, KlaOptions{});
    return EncodeLzBlock(image.data(), image.size());
}
