// Fixed-function vertex processing of untransformed vertices: world x view x projection, the
// platform's per-vertex lighting in camera space, vertex fog into the specular alpha, clipping
// against the near and far planes (and a guard band that keeps screen coordinates in the
// rasteriser's range) before the divide, then the viewport and the rasteriser.
//
// Choices where the platform leaves room: lit colours are clamped to 0..1 and rounded to the
// nearest byte per vertex; a light adds specular only where it lights the front (N.L > 0);
// attenuation with a zero denominator counts as 1.
#include "platform/d3d9/internal.h"

#include <algorithm>
#include <cmath>

namespace d3d9 {

namespace {

struct V3 {
    float x, y, z;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Unit(V3 a) {
    const float l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}

struct RGBA {
    float r, g, b, a;
};
inline RGBA operator*(RGBA a, RGBA b) { return {a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a}; }
inline RGBA Scale(RGBA a, float s) { return {a.r * s, a.g * s, a.b * s, a.a * s}; }
inline RGBA Add(RGBA a, RGBA b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a}; }
inline RGBA FromValue(const D3DCOLORVALUE &c) { return {c.r, c.g, c.b, c.a}; }
inline RGBA FromArgb(uint32_t c) {
    return {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f, (c >> 24) / 255.0f};
}
inline int ToByte(float v) {
    v = v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
    return (int)std::lround(v * 255.0f);
}
inline uint32_t ToArgb(RGBA c) {
    return (uint32_t)ToByte(c.a) << 24 | (uint32_t)ToByte(c.r) << 16 | (uint32_t)ToByte(c.g) << 8 | (uint32_t)ToByte(c.b);
}

D3DMATRIX Multiply(const D3DMATRIX &a, const D3DMATRIX &b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += (double)a.m[i][k] * b.m[k][j];
            r.m[i][j] = (float)s;
        }
    return r;
}

D3DMATRIX Transform(const DeviceState &s, DWORD type) {
    auto it = s.transforms.find(type);
    return it == s.transforms.end() ? IdentityMatrix() : it->second;
}

// Row vector (x, y, z, w) times m.
inline void Apply4(const D3DMATRIX &m, const float in[4], float out[4]) {
    for (int j = 0; j < 4; ++j) out[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + in[3] * m.m[3][j];
}
inline V3 ApplyPoint(const D3DMATRIX &m, V3 p) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}
inline V3 ApplyDirection(const float n[3][3], V3 v) {
    return {v.x * n[0][0] + v.y * n[1][0] + v.z * n[2][0], v.x * n[0][1] + v.y * n[1][1] + v.z * n[2][1],
            v.x * n[0][2] + v.y * n[1][2] + v.z * n[2][2]};
}

// The inverse transpose of the 3 x 3 part (normals of row vectors: n' = n (M^-1)^T).
void NormalMatrix(const D3DMATRIX &m, float out[3][3]) {
    const double a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32, i = m._33;
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    const double k = det != 0 ? 1.0 / det : 0.0;
    // Cofactors divided by the determinant: (M^-1)^T.
    out[0][0] = (float)(A * k), out[0][1] = (float)(B * k), out[0][2] = (float)(C * k);
    out[1][0] = (float)(-(b * i - c * h) * k), out[1][1] = (float)((a * i - c * g) * k),
    out[1][2] = (float)(-(a * h - b * g) * k);
    out[2][0] = (float)((b * f - c * e) * k), out[2][1] = (float)(-(a * f - c * d) * k),
    out[2][2] = (float)((a * e - b * d) * k);
}

// A light ready for camera space.
struct LIGHT {
    DWORD type;
    RGBA diffuse, specular, ambient;
    V3 position, direction;  // camera space; direction unit
    float range, a0, a1, a2, cosTheta, cosPhi, falloff;
};

struct SETUP {
    D3DMATRIX world, worldView, project;
    float normals[3][3];
    bool lighting, normalize, specular, localViewer, colourVertex;
    DWORD diffuseSource, specularSource, ambientSource, emissiveSource;
    RGBA globalAmbient;
    D3DMATERIAL9 material;
    std::vector<LIGHT> lights;
    bool fog;
    DWORD fogMode;
    bool rangeFog;
    float fogStart, fogEnd, fogDensity;
};

SETUP Prepare(const DeviceState &s) {
    SETUP p;
    p.world = Transform(s, D3DTS_WORLD);
    const D3DMATRIX view = Transform(s, D3DTS_VIEW);
    p.worldView = Multiply(p.world, view);
    p.project = Transform(s, D3DTS_PROJECTION);
    NormalMatrix(p.worldView, p.normals);
    const DWORD *rs = s.rs;
    p.lighting = rs[D3DRS_LIGHTING] != 0;
    p.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    p.specular = rs[D3DRS_SPECULARENABLE] != 0;
    p.localViewer = rs[D3DRS_LOCALVIEWER] != 0;
    p.colourVertex = rs[D3DRS_COLORVERTEX] != 0;
    p.diffuseSource = rs[D3DRS_DIFFUSEMATERIALSOURCE];
    p.specularSource = rs[D3DRS_SPECULARMATERIALSOURCE];
    p.ambientSource = rs[D3DRS_AMBIENTMATERIALSOURCE];
    p.emissiveSource = rs[D3DRS_EMISSIVEMATERIALSOURCE];
    p.globalAmbient = FromArgb(rs[D3DRS_AMBIENT]);
    p.material = s.material;
    if (p.lighting) {
        float viewNormals[3][3];
        NormalMatrix(view, viewNormals);
        for (const auto &entry : s.lights) {
            if (!entry.second.enabled) continue;
            const D3DLIGHT9 &l = entry.second.light;
            LIGHT c;
            c.type = l.Type;
            c.diffuse = FromValue(l.Diffuse);
            c.specular = FromValue(l.Specular);
            c.ambient = FromValue(l.Ambient);
            c.position = ApplyPoint(view, V3{l.Position.x, l.Position.y, l.Position.z});
            c.direction = Unit(ApplyDirection(viewNormals, V3{l.Direction.x, l.Direction.y, l.Direction.z}));
            c.range = l.Range;
            c.a0 = l.Attenuation0, c.a1 = l.Attenuation1, c.a2 = l.Attenuation2;
            c.cosTheta = std::cos(l.Theta * 0.5f);
            c.cosPhi = std::cos(l.Phi * 0.5f);
            c.falloff = l.Falloff;
            p.lights.push_back(c);
        }
    }
    p.fog = rs[D3DRS_FOGENABLE] && rs[D3DRS_FOGTABLEMODE] == D3DFOG_NONE && rs[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE;
    p.fogMode = rs[D3DRS_FOGVERTEXMODE];
    p.rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
    p.fogStart = FloatOf(rs[D3DRS_FOGSTART]);
    p.fogEnd = FloatOf(rs[D3DRS_FOGEND]);
    p.fogDensity = FloatOf(rs[D3DRS_FOGDENSITY]);
    return p;
}

// A material colour from its source: the vertex's first or second colour when it has one.
RGBA Source(DWORD source, const D3DCOLORVALUE &material, bool colourVertex, const uint32_t *diffuse,
            const uint32_t *specular) {
    if (colourVertex && source == D3DMCS_COLOR1 && diffuse) return FromArgb(*diffuse);
    if (colourVertex && source == D3DMCS_COLOR2 && specular) return FromArgb(*specular);
    return FromValue(material);
}

void Light(const SETUP &p, V3 position, V3 normal, const uint32_t *vd, const uint32_t *vs, uint32_t *outDiffuse,
           uint32_t *outSpecular) {
    const D3DMATERIAL9 &m = p.material;
    const RGBA cd = Source(p.diffuseSource, m.Diffuse, p.colourVertex, vd, vs);
    const RGBA ca = Source(p.ambientSource, m.Ambient, p.colourVertex, vd, vs);
    const RGBA cs = Source(p.specularSource, m.Specular, p.colourVertex, vd, vs);
    const RGBA ce = Source(p.emissiveSource, m.Emissive, p.colourVertex, vd, vs);
    RGBA ambient = p.globalAmbient, diffuse{0, 0, 0, 0}, specular{0, 0, 0, 0};
    for (const LIGHT &l : p.lights) {
        V3 toLight;
        float atten = 1.0f, spot = 1.0f;
        if (l.type == D3DLIGHT_DIRECTIONAL) {
            toLight = l.direction * -1.0f;
        } else {
            const V3 d = l.position - position;
            const float distance = std::sqrt(Dot(d, d));
            if (distance > l.range) continue;
            toLight = distance > 0 ? d * (1.0f / distance) : V3{0, 0, 0};
            const float denominator = l.a0 + l.a1 * distance + l.a2 * distance * distance;
            atten = denominator != 0 ? 1.0f / denominator : 1.0f;
            if (l.type == D3DLIGHT_SPOT) {
                const float rho = Dot(l.direction, toLight * -1.0f);
                if (rho <= l.cosPhi) spot = 0.0f;
                else if (rho <= l.cosTheta)
                    spot = l.cosTheta > l.cosPhi ? std::pow((rho - l.cosPhi) / (l.cosTheta - l.cosPhi), l.falloff) : 1.0f;
            }
        }
        const float k = atten * spot;
        ambient = Add(ambient, Scale(l.ambient, k));
        const float nl = Dot(normal, toLight);
        if (nl <= 0.0f) continue;
        diffuse = Add(diffuse, Scale(l.diffuse, nl * k));
        if (!p.specular) continue;
        const V3 eye = p.localViewer ? Unit(position * -1.0f) : V3{0, 0, 1};
        const V3 half = Unit(eye + toLight);
        const float nh = Dot(normal, half);
        if (nh > 0.0f) specular = Add(specular, Scale(l.specular, std::pow(nh, m.Power) * k));
    }
    RGBA colour = Add(Add(ce, ca * ambient), cd * diffuse);
    colour.a = cd.a;
    *outDiffuse = ToArgb(colour);
    RGBA spec = cs * specular;
    spec.a = 1.0f;
    *outSpecular = ToArgb(spec);
}

float FogFactor(const SETUP &p, V3 eyePosition) {
    const float d = p.rangeFog ? std::sqrt(Dot(eyePosition, eyePosition)) : std::fabs(eyePosition.z);
    float f;
    switch (p.fogMode) {
    case D3DFOG_LINEAR: f = p.fogEnd != p.fogStart ? (p.fogEnd - d) / (p.fogEnd - p.fogStart) : 1.0f; break;
    case D3DFOG_EXP: f = std::exp(-d * p.fogDensity); break;
    default: f = std::exp(-(d * p.fogDensity) * (d * p.fogDensity)); break;
    }
    return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
}

// A vertex in clip space with its attributes as floats, for clipping.
struct CLIPVERTEX {
    float v[4];
    float colour[8];  // diffuse b, g, r, a, specular b, g, r, a (0..255)
    float tex[8][2];
};

CLIPVERTEX Lerp(const CLIPVERTEX &a, const CLIPVERTEX &b, float t) {
    CLIPVERTEX r;
    for (int i = 0; i < 4; ++i) r.v[i] = a.v[i] + (b.v[i] - a.v[i]) * t;
    for (int i = 0; i < 8; ++i) r.colour[i] = a.colour[i] + (b.colour[i] - a.colour[i]) * t;
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 2; ++k) r.tex[i][k] = a.tex[i][k] + (b.tex[i][k] - a.tex[i][k]) * t;
    return r;
}

// Clip planes as distances that are >= 0 inside: near, far, a small positive w, and the guard band.
constexpr int kPlanes = 7;
float Distance(const CLIPVERTEX &c, int plane, float guard) {
    const float x = c.v[0], y = c.v[1], z = c.v[2], w = c.v[3];
    switch (plane) {
    case 0: return z;
    case 1: return w - z;
    case 2: return w - 1e-6f;
    case 3: return guard * w - x;
    case 4: return guard * w + x;
    case 5: return guard * w - y;
    default: return guard * w + y;
    }
}

bool Inside(const CLIPVERTEX &c, float guard) {
    for (int p = 0; p < kPlanes; ++p)
        if (!(Distance(c, p, guard) >= 0.0f)) return false;
    return true;
}

// Sutherland-Hodgman over the planes; the polygon stays in `poly` (at most 3 + kPlanes corners).
int ClipPolygon(CLIPVERTEX *poly, int n, float guard) {
    CLIPVERTEX out[3 + kPlanes];
    for (int plane = 0; plane < kPlanes && n > 0; ++plane) {
        int m = 0;
        for (int i = 0; i < n; ++i) {
            const CLIPVERTEX &a = poly[i], &b = poly[(i + 1) % n];
            const float da = Distance(a, plane, guard), db = Distance(b, plane, guard);
            if (da >= 0) out[m++] = a;
            if ((da >= 0) != (db >= 0) && m < 3 + kPlanes) out[m++] = Lerp(a, b, da / (da - db));
        }
        n = m;
        std::copy(out, out + n, poly);
    }
    return n;
}

RasterVertex ToScreen(const CLIPVERTEX &c, const D3DVIEWPORT9 &vp) {
    RasterVertex r;
    const float rhw = 1.0f / c.v[3];
    r.x = (float)vp.X + (1.0f + c.v[0] * rhw) * (float)vp.Width * 0.5f;
    r.y = (float)vp.Y + (1.0f - c.v[1] * rhw) * (float)vp.Height * 0.5f;
    r.z = vp.MinZ + c.v[2] * rhw * (vp.MaxZ - vp.MinZ);
    r.rhw = rhw;
    // Channels are interpolated between bytes, so never negative: adding a half rounds them.
    auto byte = [](float v) { return (uint32_t)std::min((int)(v + 0.5f), 255); };
    r.diffuse = byte(c.colour[0]) | byte(c.colour[1]) << 8 | byte(c.colour[2]) << 16 | byte(c.colour[3]) << 24;
    r.specular = byte(c.colour[4]) | byte(c.colour[5]) << 8 | byte(c.colour[6]) << 16 | byte(c.colour[7]) << 24;
    memcpy(r.tex, c.tex, sizeof r.tex);
    return r;
}

}  // namespace

void TransformAndRaster(Device &device, D3DPRIMITIVETYPE type, UINT count, const FvfLayout &layout,
                        const uint8_t *data, UINT vertexCount, UINT stride, const uint32_t *order) {
    const DeviceState &s = device.state;
    const SETUP p = Prepare(s);
    const D3DVIEWPORT9 &vp = s.viewport;
    // Screen coordinates within +-2^20 keep the rasteriser's fixed point exact.
    const float guard = 1048576.0f / (float)std::max<DWORD>(1, std::max(vp.Width, vp.Height));

    // Work arrays kept from draw to draw (the stand-in draws on one thread).
    static std::vector<CLIPVERTEX> clip;
    static std::vector<uint8_t> inside;
    static std::vector<uint32_t> indices;
    std::vector<ProcessedVertex> &processed = ProcessedVertexStore();
    processed.resize(vertexCount);
    clip.resize(vertexCount);
    for (UINT i = 0; i < vertexCount; ++i) {
        const uint8_t *v = data + (size_t)i * stride;
        const V3 position{LoadF(v + layout.position), LoadF(v + layout.position + 4), LoadF(v + layout.position + 8)};
        const uint32_t diffuse = layout.diffuse >= 0 ? LoadWord(v + layout.diffuse) : 0xFFFFFFFFu;
        const uint32_t specular = layout.specular >= 0 ? LoadWord(v + layout.specular) : 0u;
        const V3 eye = ApplyPoint(p.worldView, position);
        ProcessedVertex &out = processed[i];
        const float view[4] = {eye.x, eye.y, eye.z, 1.0f};
        Apply4(p.project, view, out.clip);
        out.diffuse = diffuse;
        out.specular = specular;
        if (p.lighting) {
            V3 normal{0, 0, 0};
            if (layout.normal >= 0)
                normal = ApplyDirection(p.normals, V3{LoadF(v + layout.normal), LoadF(v + layout.normal + 4),
                                                      LoadF(v + layout.normal + 8)});
            if (p.normalize) normal = Unit(normal);
            Light(p, eye, normal, layout.diffuse >= 0 ? &diffuse : nullptr, layout.specular >= 0 ? &specular : nullptr,
                  &out.diffuse, &out.specular);
        }
        if (p.fog) out.specular = (out.specular & 0xFFFFFFu) | (uint32_t)ToByte(FogFactor(p, eye)) << 24;
        int t = 0;
        for (; t < layout.texCount; ++t) {
            out.tex[t][0] = LoadF(v + layout.tex[t]);
            out.tex[t][1] = LoadF(v + layout.tex[t] + 4);
        }
        for (; t < 8; ++t) out.tex[t][0] = out.tex[t][1] = 0.0f;
        CLIPVERTEX &c = clip[i];
        memcpy(c.v, out.clip, sizeof c.v);
        for (int k = 0; k < 4; ++k) {
            c.colour[k] = (float)((out.diffuse >> (8 * k)) & 255);
            c.colour[4 + k] = (float)((out.specular >> (8 * k)) & 255);
        }
        memcpy(c.tex, out.tex, sizeof c.tex);
        const float w = out.clip[3];
        if (w > 0) {
            const RasterVertex r = ToScreen(c, vp);
            out.screen[0] = r.x, out.screen[1] = r.y, out.screen[2] = r.z, out.screen[3] = r.rhw;
        } else {
            out.screen[0] = out.screen[1] = out.screen[2] = out.screen[3] = 0.0f;
        }
    }

    std::vector<RasterVertex> &screen = device.scratchVertices;
    screen.clear();
    if (type == D3DPT_POINTLIST || type == D3DPT_LINELIST || type == D3DPT_LINESTRIP) {
        // Points and lines: only those wholly inside the near and far planes are drawn.
        const UINT n = type == D3DPT_POINTLIST ? count : type == D3DPT_LINELIST ? count * 2 : count + 1;
        std::vector<uint32_t> ends;
        for (UINT i = 0; i < n; ++i) screen.push_back(ToScreen(clip[order[i]], vp));
        ApplyTextureTransforms(s, screen.data(), screen.size());
        if (type == D3DPT_POINTLIST) {
            std::vector<RasterVertex> points;
            for (UINT i = 0; i < n; ++i)
                if (Inside(clip[order[i]], guard)) points.push_back(screen[i]);
            RasterPoints(device, points.data(), points.size());
            return;
        }
        for (UINT i = 0; i < count; ++i) {
            const UINT a = type == D3DPT_LINELIST ? 2 * i : i, b = a + 1;
            if (Inside(clip[order[a]], guard) && Inside(clip[order[b]], guard)) ends.push_back(a), ends.push_back(b);
        }
        RasterLines(device, screen.data(), ends.data(), ends.size() / 2);
        return;
    }

    std::vector<uint32_t> &triangles = device.scratchList;
    if (!AssembleTriangles(type, count, order, triangles)) return;
    // Vertices inside every plane reach the screen once; a clipped triangle adds its own corners.
    inside.resize(vertexCount);
    screen.resize(vertexCount);
    for (UINT i = 0; i < vertexCount; ++i)
        if ((inside[i] = Inside(clip[i], guard))) screen[i] = ToScreen(clip[i], vp);
    indices.clear();
    indices.reserve(triangles.size());
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const uint32_t a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
        if (inside[a] && inside[b] && inside[c]) {
            indices.insert(indices.end(), {a, b, c});
            continue;
        }
        CLIPVERTEX poly[3 + kPlanes] = {clip[a], clip[b], clip[c]};
        const int n = ClipPolygon(poly, 3, guard);
        if (n < 3) continue;
        const uint32_t first = (uint32_t)screen.size();
        for (int k = 0; k < n; ++k) screen.push_back(ToScreen(poly[k], vp));
        // A fan keeps the triangle's winding.
        for (int k = 1; k + 1 < n; ++k) indices.insert(indices.end(), {first, first + k, first + k + 1});
    }
    ApplyTextureTransforms(s, screen.data(), screen.size());
    RasterTriangles(device, screen.data(), indices.data(), indices.size() / 3, true);
}

}  // namespace d3d9
