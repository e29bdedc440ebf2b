// Draw calls: vertex fetch by FVF, primitive assembly, hand-off to the rasteriser.
#include "platform/d3d9/internal.h"

#include <algorithm>

namespace d3d9 {

namespace {

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return count * 3;
    case D3DPT_TRIANGLESTRIP: case D3DPT_TRIANGLEFAN: return count + 2;
    default: return 0;
    }
}

}  // namespace

void ApplyTextureTransforms(const DeviceState &s, RasterVertex *v, size_t count) {
    for (int stage = 0; stage < 8; ++stage) {
        DWORD flags = s.tss[stage][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
        if (flags == D3DTTFF_DISABLE) continue;
        auto it = s.transforms.find(D3DTS_TEXTURE0 + stage);
        if (it == s.transforms.end()) continue;
        const D3DMATRIX &m = it->second;
        int set = (int)(s.tss[stage][D3DTSS_TEXCOORDINDEX] & 7);
        // A pair (u, v) is taken as (u, v, 1, 0), so the third row translates.
        for (size_t i = 0; i < count; ++i) {
            float u = v[i].tex[set][0], w = v[i].tex[set][1];
            float nu = u * m._11 + w * m._21 + m._31;
            float nv = u * m._12 + w * m._22 + m._32;
            v[i].tex[set][0] = nu;
            v[i].tex[set][1] = nv;
        }
    }
}

bool ParseFvf(DWORD fvf, FvfLayout &out) {
    int offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZRHW: out.pretransformed = true; offset = 16; break;
    case D3DFVF_XYZ: offset = 12; break;
    case D3DFVF_XYZB1: offset = 16; break;
    case D3DFVF_XYZB2: offset = 20; break;
    case D3DFVF_XYZB3: offset = 24; break;
    case D3DFVF_XYZB4: offset = 28; break;
    case D3DFVF_XYZB5: offset = 32; break;
    default: return false;
    }
    if (fvf & D3DFVF_NORMAL) {
        out.normal = offset;
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        out.diffuse = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        out.specular = offset;
        offset += 4;
    }
    out.texCount = (int)((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (out.texCount > 8) return false;
    for (int i = 0; i < out.texCount; ++i) {
        out.tex[i] = offset;
        static const int kFloats[4] = {2, 3, 4, 1};
        offset += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
    }
    out.size = offset;
    return true;
}

bool AssembleTriangles(D3DPRIMITIVETYPE type, UINT count, const uint32_t *order, std::vector<uint32_t> &list) {
    list.clear();
    list.reserve((size_t)count * 3);
    switch (type) {
    case D3DPT_TRIANGLELIST:
        list.assign(order, order + (size_t)count * 3);
        return true;
    case D3DPT_TRIANGLESTRIP:
        for (UINT i = 0; i < count; ++i) {
            // Odd triangles swap their last two so that every triangle keeps the strip's winding.
            list.push_back(order[i]);
            list.push_back(order[i + 1 + (i & 1)]);
            list.push_back(order[i + 2 - (i & 1)]);
        }
        return true;
    case D3DPT_TRIANGLEFAN:
        for (UINT i = 0; i < count; ++i) {
            list.push_back(order[i + 1]);
            list.push_back(order[i + 2]);
            list.push_back(order[0]);
        }
        return true;
    default:
        return false;
    }
}

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT count, const uint8_t *data, UINT first, UINT vertexCount,
                     UINT stride, const void *indices, D3DFORMAT indexFormat, INT baseVertex) {
    if (!inScene) return D3DERR_INVALIDCALL;
    if (count == 0 || loss != LossState::Operational) return D3D_OK;
    // Programmable drawing is not emulated: with a shader set nothing is drawn.
    if (state.vs || state.ps) return D3D_OK;
    FvfLayout layout;
    if (!state.fvf || !ParseFvf(state.fvf, layout) || stride < (UINT)layout.size) return D3DERR_INVALIDCALL;

    // Vertex numbers relative to the named range; one outside it is an invalid call.
    UINT n = VerticesFor(type, count);
    std::vector<uint32_t> &order = scratchOrder;
    order.resize(n);
    for (UINT i = 0; i < n; ++i) {
        int64_t index = indices ? (indexFormat == D3DFMT_INDEX16 ? static_cast<const uint16_t *>(indices)[i]
                                                                 : static_cast<const uint32_t *>(indices)[i])
                                : (int64_t)i + first;
        index += baseVertex;
        if (index < (int64_t)first || index >= (int64_t)first + vertexCount) return D3DERR_INVALIDCALL;
        order[i] = (uint32_t)(index - first);
    }
    const uint8_t *range = data + (size_t)first * stride;
    if (!layout.pretransformed) {
        TransformAndRaster(*this, type, count, layout, range, vertexCount, stride, order.data());
        return D3D_OK;
    }

    std::vector<RasterVertex> &vertices = scratchVertices;
    vertices.resize(vertexCount);
    for (UINT i = 0; i < vertexCount; ++i) {
        const uint8_t *p = range + (size_t)i * stride;
        RasterVertex &v = vertices[i];
        v.x = LoadF(p);
        v.y = LoadF(p + 4);
        v.z = LoadF(p + 8);
        v.rhw = LoadF(p + 12);
        v.diffuse = layout.diffuse >= 0 ? LoadWord(p + layout.diffuse) : 0xFFFFFFFFu;
        v.specular = layout.specular >= 0 ? LoadWord(p + layout.specular) : 0u;
        int t = 0;
        for (; t < layout.texCount; ++t) {
            v.tex[t][0] = LoadF(p + layout.tex[t]);
            v.tex[t][1] = LoadF(p + layout.tex[t] + 4);
        }
        for (; t < 8; ++t) v.tex[t][0] = v.tex[t][1] = 0.0f;
    }
    ApplyTextureTransforms(state, vertices.data(), vertices.size());

    std::vector<uint32_t> &list = scratchList;
    switch (type) {
    case D3DPT_POINTLIST: {
        std::vector<RasterVertex> points;
        for (uint32_t i : order) points.push_back(vertices[i]);
        RasterPoints(*this, points.data(), points.size());
        return D3D_OK;
    }
    case D3DPT_LINELIST:
        RasterLines(*this, vertices.data(), order.data(), count);
        return D3D_OK;
    case D3DPT_LINESTRIP:
        list.clear();
        for (UINT i = 0; i < count; ++i) {
            list.push_back(order[i]);
            list.push_back(order[i + 1]);
        }
        RasterLines(*this, vertices.data(), list.data(), count);
        return D3D_OK;
    default:
        if (!AssembleTriangles(type, count, order.data(), list)) return D3DERR_INVALIDCALL;
        RasterTriangles(*this, vertices.data(), list.data(), count, true);
        return D3D_OK;
    }
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void *vertices, UINT stride) {
    Record("DrawPrimitiveUP", type, count, (const void *)vertices, stride);
    if (!vertices || (count && VerticesFor(type, count) == 0)) return D3DERR_INVALIDCALL;
    Rebind(state.stream, (VertexBuffer *)nullptr);
    return Draw(type, count, static_cast<const uint8_t *>(vertices), 0, VerticesFor(type, count), stride, nullptr, 0,
                0);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT count,
                                       const void *indices, D3DFORMAT indexFormat, const void *vertices,
                                       UINT stride) {
    Record("DrawIndexedPrimitiveUP", type, minIndex, vertexCount, count, (const void *)indices, indexFormat,
           (const void *)vertices, stride);
    if (!vertices || !indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    Rebind(state.stream, (VertexBuffer *)nullptr);
    Rebind(state.indices, (IndexBuffer *)nullptr);
    return Draw(type, count, static_cast<const uint8_t *>(vertices), minIndex, vertexCount, stride, indices,
                indexFormat, 0);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) {
    Record("DrawPrimitive", type, start, count);
    VertexBuffer *vb = state.stream;
    UINT n = VerticesFor(type, count);
    if (!vb || !state.streamStride || (count && n == 0)) return D3DERR_INVALIDCALL;
    uint64_t end = state.streamOffset + ((uint64_t)start + n) * state.streamStride;
    if (end > vb->data.size()) return D3DERR_INVALIDCALL;
    return Draw(type, count, vb->data.data() + state.streamOffset, start, n, state.streamStride, nullptr, 0, 0);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                     UINT startIndex, UINT count) {
    Record("DrawIndexedPrimitive", type, baseVertex, minIndex, vertexCount, startIndex, count);
    VertexBuffer *vb = state.stream;
    IndexBuffer *ib = state.indices;
    UINT n = VerticesFor(type, count);
    if (!vb || !ib || !state.streamStride || (count && n == 0)) return D3DERR_INVALIDCALL;
    size_t indexBytes = ib->format == D3DFMT_INDEX16 ? 2 : 4;
    if (((uint64_t)startIndex + n) * indexBytes > ib->data.size()) return D3DERR_INVALIDCALL;
    if (state.streamOffset > vb->data.size()) return D3DERR_INVALIDCALL;
    // The named range [base + min, base + min + count) must lie in the stream.
    const int64_t first = (int64_t)baseVertex + minIndex;
    const uint64_t available = (vb->data.size() - state.streamOffset) / state.streamStride;
    if (first < 0 || (uint64_t)first + vertexCount > available) return D3DERR_INVALIDCALL;
    return Draw(type, count, vb->data.data() + state.streamOffset, (UINT)first, vertexCount, state.streamStride,
                ib->data.data() + startIndex * indexBytes, ib->format, baseVertex);
}

}  // namespace d3d9
