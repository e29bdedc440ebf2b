#include "library/base/vecmath.h"

#include <cmath>

#include "library/base/sine_table.h"
#include "library/base/strings.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

struct MATHSTATE {
    int screenWidth = 640;
    int screenHeight = 480;
};
MATHSTATE g_math;

// Rotation orders as the three axes in the order they apply.
enum Axis { kX, kY, kZ };
enum OrderCode { kXYZ, kXZY, kYXZ, kYZX, kZXY, kZYX };
struct Order {
    OrderCode code;
    Axis first, middle, last;
};
constexpr Order kOrderXYZ{kXYZ, kX, kY, kZ}, kOrderXZY{kXZY, kX, kZ, kY}, kOrderYXZ{kYXZ, kY, kX, kZ},
    kOrderYZX{kYZX, kY, kZ, kX}, kOrderZXY{kZXY, kZ, kX, kY}, kOrderZYX{kZYX, kZ, kY, kX};

// R1 x R2 x R3 of the single-axis rotations in row form, written out: r[row * 3 + column].
void Composite(OrderCode order, const float s[3], const float c[3], float r[9]) {
    const float sx = s[kX], cx = c[kX], sy = s[kY], cy = c[kY], sz = s[kZ], cz = c[kZ];
    switch (order) {
    case kXYZ:
        r[0] = cy*cz;
        r[1] = cy*sz;
        r[2] = -sy;
        r[3] = -cx*sz + cz*sx*sy;
        r[4] = cx*cz + sx*sy*sz;
        r[5] = cy*sx;
        r[6] = cx*cz*sy + sx*sz;
        r[7] = cx*sy*sz - cz*sx;
        r[8] = cx*cy;
        break;
    case kXZY:
        r[0] = cy*cz;
        r[1] = sz;
        r[2] = -cz*sy;
        r[3] = -cx*cy*sz + sx*sy;
        r[4] = cx*cz;
        r[5] = cx*sy*sz + cy*sx;
        r[6] = cx*sy + cy*sx*sz;
        r[7] = -cz*sx;
        r[8] = cx*cy - sx*sy*sz;
        break;
    case kYXZ:
        r[0] = cy*cz - sx*sy*sz;
        r[1] = cy*sz + cz*sx*sy;
        r[2] = -cx*sy;
        r[3] = -cx*sz;
        r[4] = cx*cz;
        r[5] = sx;
        r[6] = cy*sx*sz + cz*sy;
        r[7] = -cy*cz*sx + sy*sz;
        r[8] = cx*cy;
        break;
    case kYZX:
        r[0] = cy*cz;
        r[1] = cx*cy*sz + sx*sy;
        r[2] = -cx*sy + cy*sx*sz;
        r[3] = -sz;
        r[4] = cx*cz;
        r[5] = cz*sx;
        r[6] = cz*sy;
        r[7] = cx*sy*sz - cy*sx;
        r[8] = cx*cy + sx*sy*sz;
        break;
    case kZXY:
        r[0] = cy*cz + sx*sy*sz;
        r[1] = cx*sz;
        r[2] = cy*sx*sz - cz*sy;
        r[3] = -cy*sz + cz*sx*sy;
        r[4] = cx*cz;
        r[5] = cy*cz*sx + sy*sz;
        r[6] = cx*sy;
        r[7] = -sx;
        r[8] = cx*cy;
        break;
    case kZYX:
        r[0] = cy*cz;
        r[1] = cx*sz + cz*sx*sy;
        r[2] = -cx*cz*sy + sx*sz;
        r[3] = -cy*sz;
        r[4] = cx*cz - sx*sy*sz;
        r[5] = cx*sy*sz + cz*sx;
        r[6] = sy;
        r[7] = -cy*sx;
        r[8] = cx*cy;
        break;
    }
}

int MakeRot44(MAT44 *out, Order order, float x, float y, float z) {
    float s[3], c[3];
    SinCosFloat(x, &s[kX], &c[kX]);
    SinCosFloat(y, &s[kY], &c[kY]);
    SinCosFloat(z, &s[kZ], &c[kZ]);
    float r[9];
    Composite(order.code, s, c, r);
    MAT44 m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i * 4 + j] = r[i * 3 + j];
    m.m[15] = 1;
    *out = m;
    return 0;
}

int MakeRot34(MAT34 *out, Order order, float x, float y, float z) {
    float s[3], c[3];
    LookupSinCos(&s[kX], x, &c[kX]);
    LookupSinCos(&s[kY], y, &c[kY]);
    LookupSinCos(&s[kZ], z, &c[kZ]);
    float r[9];
    Composite(order.code, s, c, r);
    MAT34 m{};
    // Column-vector form: the transpose of the row form.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i * 4 + j] = r[j * 3 + i];
    *out = m;
    return 0;
}

// One member of the Euler family: which elements hold what, for one order. Each (sign, index)
// pair reads sign x m[index].
struct Term {
    float sign;
    int index;
};
struct EulerRule {
    Order order;
    Term tested;                   // + or - the middle angle's sine
    Term firstY, firstX;           // first angle = atan2(firstY, firstX)
    Term lastY, lastX;             // last angle = atan2(lastY, lastX)
    Term cosOverCos, cosOverSin;   // middle cosine times cos(last), times sin(last)
    Term lockY, lockX;             // last angle at lock
};

constexpr EulerRule kEulerXYZ{kOrderXYZ, {-1, 2}, {1, 6}, {1, 10}, {1, 1}, {1, 0}, {1, 0}, {1, 1}, {-1, 4}, {1, 5}};
constexpr EulerRule kEulerXZY{kOrderXZY, {1, 1}, {-1, 9}, {1, 5}, {-1, 2}, {1, 0}, {1, 0}, {-1, 2}, {1, 8}, {1, 10}};
constexpr EulerRule kEulerYXZ{kOrderYXZ, {1, 6}, {-1, 2}, {1, 10}, {-1, 4}, {1, 5}, {1, 5}, {-1, 4}, {1, 1}, {1, 0}};
constexpr EulerRule kEulerYZX{kOrderYZX, {-1, 4}, {1, 8}, {1, 0}, {1, 6}, {1, 5}, {1, 5}, {1, 6}, {-1, 9}, {1, 10}};
constexpr EulerRule kEulerZXY{kOrderZXY, {-1, 9}, {1, 1}, {1, 5}, {1, 8}, {1, 10}, {1, 10}, {1, 8}, {-1, 2}, {1, 0}};
constexpr EulerRule kEulerZYX{kOrderZYX, {1, 8}, {-1, 4}, {1, 0}, {-1, 9}, {1, 10}, {1, 10}, {-1, 9}, {1, 6}, {1, 5}};

inline float Read(const MAT44 *m, Term t) { return t.sign * m->m[t.index]; }

int MatrixToEuler(const EulerRule &rule, const MAT44 *in, float *x, float *y, float *z) {
    float angles[3];
    int result = 0;
    const float tested = Read(in, rule.tested);
    const float size = std::fabs(tested);
    if (size > 0.99999f && size < 1.000001f) {
        angles[rule.order.first] = 0;
        angles[rule.order.middle] = tested > 0.5f ? kHalfPi : -kHalfPi;
        angles[rule.order.last] = std::atan2(Read(in, rule.lockY), Read(in, rule.lockX));
        result = -1;
    } else {
        const float first = std::atan2(Read(in, rule.firstY), Read(in, rule.firstX));
        const float last = std::atan2(Read(in, rule.lastY), Read(in, rule.lastX));
        const float cosLast = std::cos(last);
        const float c = std::fabs(cosLast) < 1e-6f ? Read(in, rule.cosOverSin) / std::sin(last)
                                                   : Read(in, rule.cosOverCos) / cosLast;
        angles[rule.order.first] = first;
        angles[rule.order.middle] = std::atan2(tested, c);
        angles[rule.order.last] = last;
    }
    if (x != nullptr) *x = angles[kX];
    if (y != nullptr) *y = angles[kY];
    if (z != nullptr) *z = angles[kZ];
    return result;
}

float ScreenAspect() {
    return g_math.screenWidth > 0 ? static_cast<float>(g_math.screenHeight) / static_cast<float>(g_math.screenWidth)
                                  : 0.75f;
}

}  // namespace

// ---- 4x4 --------------------------------------------------------------------------

int MakeIdentityMatrix(MAT44 *out) {
    static const MAT44 kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    *out = kIdentity;
    return 0;
}

int MakeProductMatrix(MAT44 *out, const MAT44 *a, const MAT44 *b) {
    MAT44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i * 4 + j] = a->m[i * 4] * b->m[j] + a->m[i * 4 + 1] * b->m[4 + j] + a->m[i * 4 + 2] * b->m[8 + j] +
                             a->m[i * 4 + 3] * b->m[12 + j];
    *out = r;
    return 0;
}

int MakeTransposedMatrix(MAT44 *out, const MAT44 *in) {
    MAT44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i * 4 + j] = in->m[j * 4 + i];
    *out = r;
    return 0;
}

int MakeInverseMatrix(MAT44 *out, const MAT44 *in) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = in->m[i];
    // Cofactors, already transposed (the adjugate).
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    const double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    const float detFloat = static_cast<float>(det);
    if (detFloat > -1e-7f && detFloat < 1e-7f) return -1;
    for (int i = 0; i < 16; ++i) out->m[i] = static_cast<float>(inv[i] / detFloat);
    return 0;
}

int MakeScaleMatrix(MAT44 *out, float sx, float sy, float sz) {
    MakeIdentityMatrix(out);
    out->m[0] = sx;
    out->m[5] = sy;
    out->m[10] = sz;
    return 0;
}

int MakeTranslateMatrix(MAT44 *out, float x, float y, float z) {
    MakeIdentityMatrix(out);
    out->m[12] = x;
    out->m[13] = y;
    out->m[14] = z;
    return 0;
}

int MakeRotXMatrix(MAT44 *out, float angle) {
    float s, c;
    SinCosFloat(angle, &s, &c);
    *out = MAT44{{1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}};
    return 0;
}

int MakeRotYMatrix(MAT44 *out, float angle) {
    float s, c;
    SinCosFloat(angle, &s, &c);
    *out = MAT44{{c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}};
    return 0;
}

int MakeRotZMatrix(MAT44 *out, float angle) {
    float s, c;
    SinCosFloat(angle, &s, &c);
    *out = MAT44{{c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return 0;
}

int MakeRotMatrixXYZ(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderXYZ, x, y, z); }
int MakeRotMatrixXZY(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderXZY, x, y, z); }
int MakeRotMatrixYXZ(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderYXZ, x, y, z); }
int MakeRotMatrixYZX(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderYZX, x, y, z); }
int MakeRotMatrixZXY(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderZXY, x, y, z); }
int MakeRotMatrixZYX(MAT44 *out, float x, float y, float z) { return MakeRot44(out, kOrderZYX, x, y, z); }

int MatrixToEulerXYZ(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerXYZ, in, x, y, z); }
int MatrixToEulerXZY(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerXZY, in, x, y, z); }
int MatrixToEulerYXZ(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerYXZ, in, x, y, z); }
int MatrixToEulerYZX(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerYZX, in, x, y, z); }
int MatrixToEulerZXY(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerZXY, in, x, y, z); }
int MatrixToEulerZYX(const MAT44 *in, float *x, float *y, float *z) { return MatrixToEuler(kEulerZYX, in, x, y, z); }

int MakePerspectiveMatrix(MAT44 *out, float fieldOfView, float nearZ, float farZ, float aspect) {
    if (aspect < 0) aspect = ScreenAspect();
    const float half = fieldOfView / 2;
    const float depth = farZ - nearZ;
    float s, c;
    SinCosFloat(half, &s, &c);
    if (std::fabs(depth) < 0.0001f || std::fabs(s) < 0.0001f) return -1;
    const float cot = c / s;
    const float q = farZ / depth;
    *out = MAT44{};
    out->m[0] = cot * aspect;
    out->m[5] = cot;
    out->m[10] = q;
    out->m[11] = 1;
    out->m[14] = -q * nearZ;
    return 0;
}

int MakeOrthographicMatrix(MAT44 *out, float height, float nearZ, float farZ, float aspect) {
    if (aspect < 0) aspect = ScreenAspect();
    if (std::fabs(nearZ - farZ) < 0.0001f) return -1;
    const float width = height / aspect;
    *out = MAT44{};
    out->m[0] = 2 / width;
    out->m[5] = 2 / height;
    out->m[10] = 1 / (farZ - nearZ);
    out->m[14] = nearZ / (nearZ - farZ);
    out->m[15] = 1;
    return 0;
}

int MakeViewportMatrix(MAT44 *out, float x, float y, float width, float height) {
    *out = MAT44{};
    out->m[0] = width * 0.5f;
    out->m[5] = height * -0.5f;
    out->m[10] = 1;
    out->m[15] = 1;
    out->m[12] = x;
    out->m[13] = y;
    out->m[14] = 0;
    return 0;
}

int MakeLookAtMatrix(MAT44 *out, const VEC3 *eye, const VEC3 *target, const VEC3 *up) {
    const VEC3 e = *eye;
    VEC3 x, y, z;
    SubtractVector(&z, target, &e);
    CrossVectors(&x, up, &z);
    CrossVectors(&y, &z, &x);
    NormalizeVector(&x, &x);
    NormalizeVector(&y, &y);
    NormalizeVector(&z, &z);
    *out = MAT44{{x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, -DotVectors(&x, &e), -DotVectors(&y, &e),
                  -DotVectors(&z, &e), 1}};
    return 0;
}

MAT44 MakeMatrixFromRows(float a, float b, float c, float d, float e, float f, float g, float h, float i,
                         float j, float k, float l) {
    return MAT44{{a, b, c, 0, d, e, f, 0, g, h, i, 0, j, k, l, 1}};
}

void SetMatrixScreenSize(int width, int height) {
    g_math.screenWidth = width;
    g_math.screenHeight = height;
}

// ---- vectors --------------------------------------------------------------------

int TransformVector(VEC3 *out, const VEC3 *in, const MAT44 *m) {
    const VEC3 p = *in;
    out->x = p.x * m->m[0] + p.y * m->m[4] + p.z * m->m[8] + m->m[12];
    out->y = p.x * m->m[1] + p.y * m->m[5] + p.z * m->m[9] + m->m[13];
    out->z = p.x * m->m[2] + p.y * m->m[6] + p.z * m->m[10] + m->m[14];
    return 0;
}

int NormalizeVector(VEC3 *out, const VEC3 *in) {
    const VEC3 v = *in;
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0) {
        *out = VEC3{0, 0, 0};
        return 0;
    }
    *out = VEC3{v.x / length, v.y / length, v.z / length};
    return 0;
}

VEC3 MakeUnitVector(float x, float y, float z) {
    const VEC3 v{x, y, z};
    VEC3 out;
    NormalizeVector(&out, &v);
    return out;
}

int AddVector(VEC3 *out, const VEC3 *a, const VEC3 *b) {
    *out = VEC3{a->x + b->x, a->y + b->y, a->z + b->z};
    return 0;
}

int SubtractVector(VEC3 *out, const VEC3 *a, const VEC3 *b) {
    *out = VEC3{a->x - b->x, a->y - b->y, a->z - b->z};
    return 0;
}

int CrossVectors(VEC3 *out, const VEC3 *a, const VEC3 *b) {
    *out = VEC3{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    return 0;
}

float DotVectors(const VEC3 *a, const VEC3 *b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

// ---- 3x4 --------------------------------------------------------------------------

int MultiplyMatrix3x4(const MAT34 *a, MAT34 *out, const MAT34 *b) {
    MAT34 r;
    for (int i = 0; i < 3; ++i) {
        const float *row = &a->m[i * 4];
        for (int j = 0; j < 3; ++j) r.m[i * 4 + j] = row[0] * b->m[j] + row[1] * b->m[4 + j] + row[2] * b->m[8 + j];
        r.m[i * 4 + 3] = row[0] * b->m[3] + row[1] * b->m[7] + row[2] * b->m[11] + row[3];
    }
    *out = r;
    return 0;
}

int MultiplyMatrix3x4Translate(const MAT34 *a, const MAT34 *b, MAT34 *out) {
    MAT34 r = *a;
    for (int i = 0; i < 3; ++i) {
        const float *row = &a->m[i * 4];
        r.m[i * 4 + 3] = row[0] * b->m[3] + row[1] * b->m[7] + row[2] * b->m[11] + row[3];
    }
    *out = r;
    return 0;
}

int TransformVector3x4(const MAT34 *m, VEC3 *out, const VEC3 *in) {
    const VEC3 p = *in;
    out->x = m->m[0] * p.x + m->m[1] * p.y + m->m[2] * p.z + m->m[3];
    out->y = m->m[4] * p.x + m->m[5] * p.y + m->m[6] * p.z + m->m[7];
    out->z = m->m[8] * p.x + m->m[9] * p.y + m->m[10] * p.z + m->m[11];
    return 0;
}

int MakeRotMatrix3x4XYZ(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderXYZ, x, y, z); }
int MakeRotMatrix3x4XZY(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderXZY, x, y, z); }
int MakeRotMatrix3x4YXZ(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderYXZ, x, y, z); }
int MakeRotMatrix3x4YZX(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderYZX, x, y, z); }
int MakeRotMatrix3x4ZXY(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderZXY, x, y, z); }
int MakeRotMatrix3x4ZYX(MAT34 *out, float x, float y, float z) { return MakeRot34(out, kOrderZYX, x, y, z); }

int ConvertMatrixTo3x4(MAT34 *out, const MAT44 *in) {
    const MAT44 a = *in;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out->m[i * 4 + j] = a.m[j * 4 + i];
        out->m[i * 4 + 3] = a.m[12 + i];
    }
    return 0;
}

int ConvertMatrix3x4To4x4(MAT44 *out, const MAT34 *in) {
    const MAT34 a = *in;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out->m[i * 4 + j] = a.m[j * 4 + i];
        out->m[i * 4 + 3] = 0;
        out->m[12 + i] = a.m[i * 4 + 3];
    }
    out->m[15] = 1;
    return 0;
}

// ---- rectangles -------------------------------------------------------------------

int ClipRect(RECT *rect, const RECT *bounds) {
    if (rect->right < rect->left) rect->right = rect->left;
    if (rect->bottom < rect->top) rect->bottom = rect->top;
    auto clamp = [](LONG &edge, LONG low, LONG high) {
        if (edge > high) edge = high;
        else if (edge < low) edge = low;
    };
    clamp(rect->bottom, bounds->top, bounds->bottom);
    clamp(rect->top, bounds->top, bounds->bottom);
    clamp(rect->right, bounds->left, bounds->right);
    clamp(rect->left, bounds->left, bounds->right);
    return 0;
}
