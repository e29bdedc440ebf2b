#include "library/model/model_fan.h"

#include "library/base/memory.h"

#include <cmath>
#include <cstring>

namespace {

struct FANWORK {
    const FANINPUT *in;
    int32_t *listStart;  // per position, into listFaces; positionCount + 1 entries
    int32_t *listFaces;  // the faces using each position, later faces first
    int32_t *stamp;      // per face: the group it was last put in
    int32_t *members;    // corner slots of the group being built
    int32_t memberCapacity;
};

inline int Pos(const FANINPUT *in, int face, int corner) { return in->facePositions[face * 3 + corner]; }

int CornerOf(const FANINPUT *in, int face, int position) {
    for (int k = 0; k < 3; ++k)
        if (Pos(in, face, k) == position) return k;
    return -1;
}

bool SamePositions(const FANINPUT *in, int a, int b) {
    for (int k = 0; k < 3; ++k)
        if (CornerOf(in, b, Pos(in, a, k)) < 0) return false;
    for (int k = 0; k < 3; ++k)
        if (CornerOf(in, a, Pos(in, b, k)) < 0) return false;
    return true;
}

VEC3 Sub(const VEC3 &a, const VEC3 &b) { return VEC3{a.x - b.x, a.y - b.y, a.z - b.z}; }

// The part of (third - V) across the edge direction.
VEC3 Wing(const FANINPUT *in, int face, int v, int w, const VEC3 &edge) {
    int third = -1;
    for (int k = 0; k < 3; ++k) {
        const int p = Pos(in, face, k);
        if (p != v && p != w) third = p;
    }
    if (third < 0) return VEC3{0, 0, 0};
    VEC3 d = Sub(in->facePoints[third], in->facePoints[v]);
    const float along = DotVectors(&d, &edge);
    d.x -= along * edge.x, d.y -= along * edge.y, d.z -= along * edge.z;
    NormalizeVector(&d, &d);
    return d;
}

bool AddMember(FANWORK &w, int count, int slot) {
    if (count == w.memberCapacity) {
        const int grown = w.memberCapacity * 2;
        auto *m = static_cast<int32_t *>(ReallocMemBlock(w.members, (size_t)grown * 4, nullptr, -1));
        if (!m) return false;
        w.members = m;
        w.memberCapacity = grown;
    }
    w.members[count] = slot;
    return true;
}

// One walk around V from the group's first face. forward: across the edge to each face's next
// corner; otherwise to its previous corner with the turning sense reversed. Returns the member
// count, or -1 on a failed allocation; *closed when the fan came back to the first face.
int Walk(FANWORK &w, int group, int first, int firstCorner, bool forward, int count, VEC3 *sum, bool *closed) {
    const FANINPUT *in = w.in;
    const int v = Pos(in, first, firstCorner);
    const float sense = forward ? -1.0f : 1.0f;
    int cur = first, curCorner = firstCorner, prev = -1;
    *closed = false;
    for (;;) {
        const int wpos = Pos(in, cur, forward ? (curCorner + 1) % 3 : (curCorner + 2) % 3);
        VEC3 edge = Sub(in->facePoints[wpos], in->facePoints[v]);
        NormalizeVector(&edge, &edge);
        const VEC3 curWing = Wing(in, cur, v, wpos, edge);
        int best = -1, bestHalf = 2;
        float bestKey = 0.0f;
        bool bestOpposite = false;
        for (int i = w.listStart[v]; i < w.listStart[v + 1]; ++i) {
            const int g = w.listFaces[i];
            if (g == cur || g == prev || (w.stamp[g] == group && g != first)) continue;
            const int gv = CornerOf(in, g, v), gw = CornerOf(in, g, wpos);
            if (gv < 0 || gw < 0 || gv == gw || SamePositions(in, g, cur)) continue;
            // Opposite crossing: the edge runs W -> V in g (forward walk), V -> W otherwise.
            const bool opposite = forward ? (gw + 1) % 3 == gv : (gv + 1) % 3 == gw;
            const VEC3 wing = Wing(in, g, v, wpos, edge);
            VEC3 c;
            CrossVectors(&c, &curWing, &wing);
            const float cosine = DotVectors(&curWing, &wing);
            const int half = sense * DotVectors(&c, &edge) >= 0.0f ? 0 : 1;
            const float key = half == 0 ? cosine : -cosine;
            bool better = best < 0 || half < bestHalf || (half == bestHalf && key > bestKey);
            if (!better && best >= 0 && half == bestHalf && key == bestKey && SamePositions(in, g, best) &&
                opposite && !bestOpposite)
                better = true;
            if (better) {
                best = g;
                bestHalf = half;
                bestKey = key;
                bestOpposite = opposite;
            }
        }
        if (best < 0 || !bestOpposite) return count;
        if (DotVectors(&in->faceNormals[best], &in->faceNormals[cur]) < in->cosLimit) return count;
        if (best == first) {
            *closed = true;
            return count;
        }
        const int bestCorner = CornerOf(in, best, v);
        if (!AddMember(w, count, best * 3 + bestCorner)) return -1;
        ++count;
        w.stamp[best] = group;
        AddVector(sum, sum, &in->faceNormals[best]);
        prev = cur;
        cur = best;
        curCorner = bestCorner;
    }
}

}  // namespace

VEC3 TriangleNormal(const VEC3 &p0, const VEC3 &p1, const VEC3 &p2) {
    const VEC3 a = Sub(p1, p0), b = Sub(p2, p0);
    VEC3 n;
    CrossVectors(&n, &a, &b);
    NormalizeVector(&n, &n);
    return n;
}

int BuildSmoothingGroups(const FANINPUT *in, int32_t *cornerGroup, VEC3 *groupNormals) {
    const int faces = in->faceCount, positions = in->positionCount;
    FANWORK w{};
    w.in = in;
    w.listStart = static_cast<int32_t *>(AllocMemBlockZero((size_t)(positions + 1) * 4, nullptr, -1));
    w.listFaces = static_cast<int32_t *>(AllocMemBlock((size_t)faces * 3 * 4 + 4, nullptr, -1));
    w.stamp = static_cast<int32_t *>(AllocMemBlock((size_t)faces * 4 + 4, nullptr, -1));
    w.memberCapacity = 64;
    w.members = static_cast<int32_t *>(AllocMemBlock((size_t)w.memberCapacity * 4, nullptr, -1));
    auto *done = static_cast<uint8_t *>(AllocMemBlockZero((size_t)faces * 3 + 1, nullptr, -1));
    int result = -1;
    if (w.listStart && w.listFaces && w.stamp && w.members && done) {
        // Adjacency: each face once in the list of every position it uses, later faces first.
        auto firstUse = [&](int f, int k) { return CornerOf(in, f, Pos(in, f, k)) == k; };
        for (int f = 0; f < faces; ++f)
            for (int k = 0; k < 3; ++k)
                if (firstUse(f, k)) ++w.listStart[Pos(in, f, k) + 1];
        for (int p = 0; p < positions; ++p) w.listStart[p + 1] += w.listStart[p];
        auto *fill = static_cast<int32_t *>(AllocMemBlock((size_t)positions * 4 + 4, nullptr, -1));
        if (fill) {
            std::memcpy(fill, w.listStart, (size_t)positions * 4);
            for (int f = faces - 1; f >= 0; --f)
                for (int k = 0; k < 3; ++k)
                    if (firstUse(f, k)) w.listFaces[fill[Pos(in, f, k)]++] = f;
            FreeMemBlock(fill);
            result = 0;
        }
    }
    if (result == 0) {
        for (int f = 0; f < faces; ++f) w.stamp[f] = -1;
        for (int f = 0; f < faces && result == 0; ++f) {
            for (int c = 0; c < 3; ++c) {
                const int slot = f * 3 + c;
                if (done[slot]) continue;
                w.stamp[f] = slot;
                w.members[0] = slot;
                VEC3 sum = in->faceNormals[f];
                bool closed = false;
                int count = Walk(w, slot, f, c, true, 1, &sum, &closed);
                if (count > 0 && !closed) count = Walk(w, slot, f, c, false, count, &sum, &closed);
                if (count < 0) {
                    result = -1;
                    break;
                }
                NormalizeVector(&groupNormals[slot], &sum);
                for (int m = 0; m < count; ++m) {
                    cornerGroup[w.members[m]] = slot;
                    done[w.members[m]] = 1;
                }
            }
        }
    }
    FreeMemBlock(w.listStart);
    FreeMemBlock(w.listFaces);
    FreeMemBlock(w.stamp);
    FreeMemBlock(w.members);
    FreeMemBlock(done);
    return result;
}
