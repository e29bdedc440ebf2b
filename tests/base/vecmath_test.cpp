#include "library/base/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

constexpr float kHalfPi = 1.5707964f;

void ExpectNear44(const MAT44 &a, const MAT44 &b, float tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element m" << i;
}

void ExpectNear34(const MAT34 &a, const MAT34 &b, float tolerance) {
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element m" << i;
}

MAT44 Product(const MAT44 &a, const MAT44 &b) {
    MAT44 out;
    MakeProductMatrix(&out, &a, &b);
    return out;
}

struct OrderRow {
    const char *name;
    int (*make44)(MAT44 *, float, float, float);
    int (*make34)(MAT34 *, float, float, float);
    int (*euler)(const MAT44 *, float *, float *, float *);
    const char *axes;  // the order, first applied first
};

const OrderRow kOrders[] = {
    {"XYZ", MakeRotMatrixXYZ, MakeRotMatrix3x4XYZ, MatrixToEulerXYZ, "XYZ"},
    {"XZY", MakeRotMatrixXZY, MakeRotMatrix3x4XZY, MatrixToEulerXZY, "XZY"},
    {"YXZ", MakeRotMatrixYXZ, MakeRotMatrix3x4YXZ, MatrixToEulerYXZ, "YXZ"},
    {"YZX", MakeRotMatrixYZX, MakeRotMatrix3x4YZX, MatrixToEulerYZX, "YZX"},
    {"ZXY", MakeRotMatrixZXY, MakeRotMatrix3x4ZXY, MatrixToEulerZXY, "ZXY"},
    {"ZYX", MakeRotMatrixZYX, MakeRotMatrix3x4ZYX, MatrixToEulerZYX, "ZYX"},
};

MAT44 SingleAxis(char axis, const float angles[3]) {
    MAT44 m;
    if (axis == 'X') MakeRotXMatrix(&m, angles[0]);
    if (axis == 'Y') MakeRotYMatrix(&m, angles[1]);
    if (axis == 'Z') MakeRotZMatrix(&m, angles[2]);
    return m;
}

int AxisIndex(char axis) { return axis - 'X'; }

TEST(VecMath, SingleAxisRotations) {
    const float a = 0.7f, s = std::sin(a), c = std::cos(a);
    MAT44 m;
    MakeRotXMatrix(&m, a);
    ExpectNear44(m, MAT44{{1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}}, 1e-7f);
    MakeRotYMatrix(&m, a);
    ExpectNear44(m, MAT44{{c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}}, 1e-7f);
    MakeRotZMatrix(&m, a);
    ExpectNear44(m, MAT44{{c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 1e-7f);
    // Row vectors: (1,0,0) turned a quarter about Z goes to (0,1,0).
    MakeRotZMatrix(&m, kHalfPi);
    VEC3 p{1, 0, 0};
    TransformVector(&p, &p, &m);
    EXPECT_NEAR(p.x, 0, 1e-6f);
    EXPECT_NEAR(p.y, 1, 1e-6f);
}

TEST(VecMath, CompositeRotationsAreProductsOfSingleAxes) {
    const float angles[3] = {0.3f, -1.1f, 2.4f};
    const float x = angles[0], y = angles[1], z = angles[2];
    for (const OrderRow &row : kOrders) {
        SCOPED_TRACE(row.name);
        MAT44 composite;
        EXPECT_EQ(row.make44(&composite, x, y, z), 0);
        const MAT44 expected = Product(Product(SingleAxis(row.axes[0], angles), SingleAxis(row.axes[1], angles)),
                                       SingleAxis(row.axes[2], angles));
        ExpectNear44(composite, expected, 2e-6f);
        // The 3x4 form is the same rotation for column vectors, from the sine table.
        MAT34 table;
        EXPECT_EQ(row.make34(&table, x, y, z), 0);
        MAT34 converted;
        ConvertMatrixTo3x4(&converted, &composite);
        ExpectNear34(table, converted, 5e-4f);
    }
    // The XYZ rotation terms, written out by hand.
    const float sx = std::sin(x), cx = std::cos(x), sy = std::sin(y), cy = std::cos(y), sz = std::sin(z), cz = std::cos(z);
    MAT44 m;
    MakeRotMatrixXYZ(&m, x, y, z);
    const float xyz[] = {cy * cz, cy * sz, -sy, sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy,
                         cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy};
    const int at[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m.m[at[i]], xyz[i], 1e-6f) << "XYZ m" << at[i];
    MakeRotMatrixZYX(&m, x, y, z);
    const float zyx[] = {cy * cz, sx * sy * cz + cx * sz, sx * sz - cx * sy * cz, -cy * sz, cx * cz - sx * sy * sz,
                         cx * sy * sz + sx * cz, sy, -sx * cy, cx * cy};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m.m[at[i]], zyx[i], 1e-6f) << "ZYX m" << at[i];
}

TEST(VecMath, EulerRoundTrip) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> outer(-3.1f, 3.1f), middle(-1.5f, 1.5f);
    for (const OrderRow &row : kOrders) {
        for (int trial = 0; trial < 200; ++trial) {
            float angles[3];
            for (int i = 0; i < 3; ++i) angles[i] = outer(random);
            angles[AxisIndex(row.axes[1])] = middle(random);
            SCOPED_TRACE(std::string(row.name) + " trial " + std::to_string(trial));
            MAT44 m;
            row.make44(&m, angles[0], angles[1], angles[2]);
            float out[3];
            ASSERT_EQ(row.euler(&m, &out[0], &out[1], &out[2]), 0);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], angles[i], 2e-3f) << "axis " << i;
        }
    }
}

TEST(VecMath, EulerGimbalLock) {
    for (const OrderRow &row : kOrders) {
        for (float sign : {1.0f, -1.0f}) {
            SCOPED_TRACE(std::string(row.name) + (sign > 0 ? " +" : " -"));
            float angles[3] = {0.3f, 0.2f, 0.25f};
            angles[AxisIndex(row.axes[1])] = sign * kHalfPi;
            MAT44 m;
            row.make44(&m, angles[0], angles[1], angles[2]);
            float out[3] = {9, 9, 9};
            ASSERT_EQ(row.euler(&m, &out[0], &out[1], &out[2]), -1);
            EXPECT_EQ(out[AxisIndex(row.axes[0])], 0.0f);
            EXPECT_EQ(out[AxisIndex(row.axes[1])], sign * kHalfPi);
            // The angles found rebuild the same rotation.
            MAT44 rebuilt;
            row.make44(&rebuilt, out[0], out[1], out[2]);
            ExpectNear44(rebuilt, m, 1e-5f);
        }
    }
    // Null outputs are allowed.
    MAT44 m;
    MakeRotMatrixXYZ(&m, 0.3f, 1.5707964f, 0.2f);
    EXPECT_EQ(MatrixToEulerXYZ(&m, nullptr, nullptr, nullptr), -1);
    // A tested element at 1.000001 or more is not taken as lock.
    MakeIdentityMatrix(&m);
    m.m[2] = -1.00001f;
    EXPECT_EQ(MatrixToEulerXYZ(&m, nullptr, nullptr, nullptr), 0);
}

TEST(VecMath, InverseAndItsThreshold) {
    struct Row {
        float determinant;
        int result;
    } rows[] = {{5e-8f, -1}, {-5e-8f, -1}, {2e-7f, 0}, {-2e-7f, 0}, {0.0f, -1}, {1.0f, 0}};
    for (const Row &r : rows) {
        SCOPED_TRACE("determinant " + std::to_string(r.determinant));
        MAT44 m;
        MakeScaleMatrix(&m, r.determinant, 1, 1);
        MAT44 out;
        MakeTranslateMatrix(&out, 7, 7, 7);
        const MAT44 before = out;
        EXPECT_EQ(MakeInverseMatrix(&out, &m), r.result);
        if (r.result < 0) {
            ExpectNear44(out, before, 0);
        } else {
            EXPECT_NEAR(out.m[0] * r.determinant, 1.0f, 1e-5f);
        }
    }
    // A general affine matrix, inverted in place, times the original is the identity.
    MAT44 rotation, scale, move, m;
    MakeRotMatrixYXZ(&rotation, 0.4f, -0.9f, 2.0f);
    MakeScaleMatrix(&scale, 2, 0.5f, 3);
    MakeTranslateMatrix(&move, 10, -4, 2);
    m = Product(Product(rotation, scale), move);
    MAT44 inverse = m;
    ASSERT_EQ(MakeInverseMatrix(&inverse, &inverse), 0);
    MAT44 identity;
    MakeIdentityMatrix(&identity);
    ExpectNear44(Product(m, inverse), identity, 1e-5f);
}

TEST(VecMath, ProductsAreAliasSafe) {
    MAT44 a, b;
    MakeRotMatrixXYZ(&a, 0.1f, 0.2f, 0.3f);
    a.m[12] = 5;
    MakeRotMatrixZYX(&b, -0.5f, 1.0f, 0.25f);
    b.m[13] = -2;
    const MAT44 expected = Product(a, b);
    MAT44 inA = a, inB = b;
    MakeProductMatrix(&inA, &inA, &b);
    MakeProductMatrix(&inB, &a, &inB);
    ExpectNear44(inA, expected, 0);
    ExpectNear44(inB, expected, 0);
    // Row form: A applied first.
    VEC3 p{1, 2, 3}, viaA, viaBoth, direct;
    TransformVector(&viaA, &p, &a);
    TransformVector(&viaBoth, &viaA, &b);
    TransformVector(&direct, &p, &expected);
    EXPECT_NEAR(direct.x, viaBoth.x, 1e-5f);
    EXPECT_NEAR(direct.y, viaBoth.y, 1e-5f);
    EXPECT_NEAR(direct.z, viaBoth.z, 1e-5f);

    MAT44 t = a;
    MakeTransposedMatrix(&t, &t);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(t.m[i * 4 + j], a.m[j * 4 + i]) << i << "," << j;
}

TEST(VecMath, Matrix3x4Products) {
    MAT34 a, b;
    MakeRotMatrix3x4XYZ(&a, 0.3f, 0.2f, -0.6f);
    a.m[3] = 1, a.m[7] = 2, a.m[11] = 3;
    MakeRotMatrix3x4ZXY(&b, 1.2f, -0.4f, 0.9f);
    b.m[3] = -5, b.m[7] = 0.5f, b.m[11] = 4;
    MAT34 ab;
    EXPECT_EQ(MultiplyMatrix3x4(&a, &ab, &b), 0);
    // Column form: B applied first.
    const VEC3 p{0.25f, -3, 7};
    VEC3 viaB, viaBoth, direct;
    TransformVector3x4(&b, &viaB, &p);
    TransformVector3x4(&a, &viaBoth, &viaB);
    TransformVector3x4(&ab, &direct, &p);
    EXPECT_NEAR(direct.x, viaBoth.x, 1e-5f);
    EXPECT_NEAR(direct.y, viaBoth.y, 1e-5f);
    EXPECT_NEAR(direct.z, viaBoth.z, 1e-5f);
    // Output may be either input.
    MAT34 inA = a, inB = b;
    MultiplyMatrix3x4(&inA, &inA, &b);
    MultiplyMatrix3x4(&a, &inB, &inB);
    ExpectNear34(inA, ab, 0);
    ExpectNear34(inB, ab, 0);
    // The translate form keeps A's rotation and moves B's translation through A.
    MAT34 at;
    EXPECT_EQ(MultiplyMatrix3x4Translate(&a, &b, &at), 0);
    const VEC3 bt{b.m[3], b.m[7], b.m[11]};
    VEC3 moved;
    TransformVector3x4(&a, &moved, &bt);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(at.m[i * 4 + j], a.m[i * 4 + j]);
    }
    EXPECT_NEAR(at.m[3], moved.x, 1e-6f);
    EXPECT_NEAR(at.m[7], moved.y, 1e-6f);
    EXPECT_NEAR(at.m[11], moved.z, 1e-6f);
    MAT34 inPlace = b;
    MultiplyMatrix3x4Translate(&a, &inPlace, &inPlace);
    ExpectNear34(inPlace, at, 0);

    // Conversions: row form and column form move a point alike.
    MAT44 m44;
    ConvertMatrix3x4To4x4(&m44, &ab);
    EXPECT_EQ(m44.m[3], 0.0f);
    EXPECT_EQ(m44.m[7], 0.0f);
    EXPECT_EQ(m44.m[11], 0.0f);
    EXPECT_EQ(m44.m[15], 1.0f);
    VEC3 rowForm;
    TransformVector(&rowForm, &p, &m44);
    EXPECT_NEAR(rowForm.x, direct.x, 1e-5f);
    EXPECT_NEAR(rowForm.y, direct.y, 1e-5f);
    EXPECT_NEAR(rowForm.z, direct.z, 1e-5f);
    MAT34 back;
    ConvertMatrixTo3x4(&back, &m44);
    ExpectNear34(back, ab, 0);
}

TEST(VecMath, Projections) {
    struct Row {
        float fov, nearZ, farZ;
        int result;
    } rows[] = {{1.0f, 5, 5, -1}, {0.0f, 1, 100, -1}, {1.0f, 1, 1.00005f, -1}, {1.0f, 1, 100, 0}};
    for (const Row &r : rows) {
        SCOPED_TRACE("fov " + std::to_string(r.fov) + " near " + std::to_string(r.nearZ));
        MAT44 m;
        EXPECT_EQ(MakePerspectiveMatrix(&m, r.fov, r.nearZ, r.farZ, 0.75f), r.result);
    }
    MAT44 m;
    ASSERT_EQ(MakePerspectiveMatrix(&m, 1.0f, 1, 101, 0.5f), 0);
    const float cot = std::cos(0.5f) / std::sin(0.5f), q = 101.0f / 100.0f;
    ExpectNear44(m, MAT44{{cot * 0.5f, 0, 0, 0, 0, cot, 0, 0, 0, 0, q, 1, 0, 0, -q, 0}}, 1e-5f);
    // A negative aspect takes the screen's height over width.
    SetMatrixScreenSize(800, 200);
    ASSERT_EQ(MakePerspectiveMatrix(&m, 1.0f, 1, 101, -1), 0);
    EXPECT_NEAR(m.m[0], cot * 0.25f, 1e-5f);
    SetMatrixScreenSize(640, 480);

    EXPECT_EQ(MakeOrthographicMatrix(&m, 10, 3, 3, 1), -1);
    ASSERT_EQ(MakeOrthographicMatrix(&m, 10, 1, 5, 0.5f), 0);
    ExpectNear44(m, MAT44{{0.1f, 0, 0, 0, 0, 0.2f, 0, 0, 0, 0, 0.25f, 0, 0, 0, -0.25f, 1}}, 1e-6f);

    EXPECT_EQ(MakeViewportMatrix(&m, 12, 34, 640, 480), 0);
    ExpectNear44(m, MAT44{{320, 0, 0, 0, 0, -240, 0, 0, 0, 0, 1, 0, 12, 34, 0, 1}}, 0);
}

TEST(VecMath, LookAtIsOrthonormal) {
    const VEC3 eye{3, 4, -10}, target{0, 1, 2}, up{0, 1, 0};
    MAT44 m;
    ASSERT_EQ(MakeLookAtMatrix(&m, &eye, &target, &up), 0);
    const VEC3 axes[3] = {{m.m[0], m.m[4], m.m[8]}, {m.m[1], m.m[5], m.m[9]}, {m.m[2], m.m[6], m.m[10]}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(DotVectors(&axes[i], &axes[j]), i == j ? 1.0f : 0.0f, 1e-6f);
    // The eye goes to the origin and the target onto +z.
    VEC3 p;
    TransformVector(&p, &eye, &m);
    EXPECT_NEAR(p.x, 0, 1e-5f);
    EXPECT_NEAR(p.y, 0, 1e-5f);
    EXPECT_NEAR(p.z, 0, 1e-5f);
    TransformVector(&p, &target, &m);
    EXPECT_NEAR(p.x, 0, 1e-4f);
    EXPECT_NEAR(p.y, 0, 1e-4f);
    EXPECT_GT(p.z, 0);
    EXPECT_EQ(m.m[15], 1.0f);
}

TEST(VecMath, Vectors) {
    VEC3 v{3, 0, 4};
    NormalizeVector(&v, &v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    const VEC3 zero{0, 0, 0};
    VEC3 n;
    NormalizeVector(&n, &zero);
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
    const VEC3 u = MakeUnitVector(0, -2, 0);
    EXPECT_EQ(u.y, -1.0f);
    VEC3 a{1, 2, 3}, b{4, 5, 6}, c;
    CrossVectors(&c, &a, &b);
    EXPECT_EQ(c.x, -3.0f);
    EXPECT_EQ(c.y, 6.0f);
    EXPECT_EQ(c.z, -3.0f);
    CrossVectors(&a, &a, &b);  // output is an input
    EXPECT_EQ(a.x, -3.0f);
    EXPECT_EQ(a.y, 6.0f);
    EXPECT_EQ(a.z, -3.0f);
    AddVector(&c, &b, &b);
    EXPECT_EQ(c.z, 12.0f);
    SubtractVector(&c, &c, &b);
    EXPECT_EQ(c.x, 4.0f);
    EXPECT_EQ(DotVectors(&b, &b), 77.0f);
    const MAT44 rows = MakeMatrixFromRows(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    ExpectNear44(rows, MAT44{{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1}}, 0);
}

TEST(VecMath, ClipRect) {
    const RECT bounds{0, 0, 100, 100};
    struct Row {
        RECT in, out;
    } rows[] = {
        {{50, 50, 10, 10}, {50, 50, 50, 50}},
        {{-20, -20, -10, -10}, {0, 0, 0, 0}},
        {{10, 20, 30, 40}, {10, 20, 30, 40}},
        {{-5, -5, 105, 105}, {0, 0, 100, 100}},
        {{150, 20, 200, 40}, {100, 20, 100, 40}},
        {{20, 150, 40, 200}, {20, 100, 40, 100}},
        {{90, 90, 90, 90}, {90, 90, 90, 90}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE("rect " + std::to_string(r.in.left) + "," + std::to_string(r.in.top) + "," +
                     std::to_string(r.in.right) + "," + std::to_string(r.in.bottom));
        RECT rect = r.in;
        EXPECT_EQ(ClipRect(&rect, &bounds), 0);
        EXPECT_EQ(rect.left, r.out.left);
        EXPECT_EQ(rect.top, r.out.top);
        EXPECT_EQ(rect.right, r.out.right);
        EXPECT_EQ(rect.bottom, r.out.bottom);
    }
}

}  // namespace
