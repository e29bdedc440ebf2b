// The geometry kit: three-float vectors, 4x4 matrices in row-vector form (the Direct3D side:
// p' = p x M, translation in m12-m14, A x B applies A first), 3x4 matrices in column-vector form
// (the model frame code: p' = M p, translation in m3, m7, m11, A x B applies B first), and
// integer rectangles with the one clipping rule every drawing path uses.
//
// Plain functions on caller storage. Every operation that writes a vector or matrix may be
// given one of its inputs as the output. Angles are radians.
#pragma once

#include "platform/windef.h"

struct VEC3 {
    float x, y, z;
};

struct MAT44 {
    float m[16];
};

struct MAT34 {
    float m[12];
};

// ---- 4x4, row-vector form -------------------------------------------------------

int MakeIdentityMatrix(MAT44 *out);
int MakeProductMatrix(MAT44 *out, const MAT44 *a, const MAT44 *b);
int MakeTransposedMatrix(MAT44 *out, const MAT44 *in);
// -1 (out untouched) when the determinant, as a float, lies strictly within 1e-7 of 0.
int MakeInverseMatrix(MAT44 *out, const MAT44 *in);
int MakeScaleMatrix(MAT44 *out, float sx, float sy, float sz);
int MakeTranslateMatrix(MAT44 *out, float x, float y, float z);
int MakeRotXMatrix(MAT44 *out, float angle);
int MakeRotYMatrix(MAT44 *out, float angle);
int MakeRotZMatrix(MAT44 *out, float angle);
// The rotation of the first letter is applied first: M = R1 x R2 x R3.
int MakeRotMatrixXYZ(MAT44 *out, float x, float y, float z);
int MakeRotMatrixXZY(MAT44 *out, float x, float y, float z);
int MakeRotMatrixYXZ(MAT44 *out, float x, float y, float z);
int MakeRotMatrixYZX(MAT44 *out, float x, float y, float z);
int MakeRotMatrixZXY(MAT44 *out, float x, float y, float z);
int MakeRotMatrixZYX(MAT44 *out, float x, float y, float z);
// Angles of a rotation for the order; any output may be null. -1 at gimbal lock (the first
// angle is then 0 and the middle one +-pi/2), else 0.
int MatrixToEulerXYZ(const MAT44 *in, float *x, float *y, float *z);
int MatrixToEulerXZY(const MAT44 *in, float *x, float *y, float *z);
int MatrixToEulerYXZ(const MAT44 *in, float *x, float *y, float *z);
int MatrixToEulerYZX(const MAT44 *in, float *x, float *y, float *z);
int MatrixToEulerZXY(const MAT44 *in, float *x, float *y, float *z);
int MatrixToEulerZYX(const MAT44 *in, float *x, float *y, float *z);
// A negative aspect (height / width) is replaced by the screen's. -1 when far - near or the
// sine of half the field of view lies within 0.0001 of 0.
int MakePerspectiveMatrix(MAT44 *out, float fieldOfView, float nearZ, float farZ, float aspect);
// -1 when near and far lie within 0.0001 of each other.
int MakeOrthographicMatrix(MAT44 *out, float height, float nearZ, float farZ, float aspect);
int MakeViewportMatrix(MAT44 *out, float x, float y, float width, float height);
int MakeLookAtMatrix(MAT44 *out, const VEC3 *eye, const VEC3 *target, const VEC3 *up);
// Rows (a b c 0), (d e f 0), (g h i 0), (j k l 1).
MAT44 MakeMatrixFromRows(float a, float b, float c, float d, float e, float f, float g, float h, float i,
                         float j, float k, float l);

// The screen size that stands for a negative aspect (the screen code sets it; 640 x 480 until then).
void SetMatrixScreenSize(int width, int height);

// ---- vectors --------------------------------------------------------------------

// in x M with translation, no division by w.
int TransformVector(VEC3 *out, const VEC3 *in, const MAT44 *m);
// in / length; a zero vector gives the zero vector.
int NormalizeVector(VEC3 *out, const VEC3 *in);
VEC3 MakeUnitVector(float x, float y, float z);
int AddVector(VEC3 *out, const VEC3 *a, const VEC3 *b);
int SubtractVector(VEC3 *out, const VEC3 *a, const VEC3 *b);
int CrossVectors(VEC3 *out, const VEC3 *a, const VEC3 *b);
float DotVectors(const VEC3 *a, const VEC3 *b);

// ---- 3x4, column-vector form ----------------------------------------------------

// out = A x B (B applied first); translation = A applied to B's translation.
int MultiplyMatrix3x4(const MAT34 *a, MAT34 *out, const MAT34 *b);
// A's 3x3 part kept; translation = A applied to B's translation.
int MultiplyMatrix3x4Translate(const MAT34 *a, const MAT34 *b, MAT34 *out);
// M p + translation.
int TransformVector3x4(const MAT34 *m, VEC3 *out, const VEC3 *in);
// The same rotations as the 4x4 makers for column vectors, sines from the sine table,
// translation 0.
int MakeRotMatrix3x4XYZ(MAT34 *out, float x, float y, float z);
int MakeRotMatrix3x4XZY(MAT34 *out, float x, float y, float z);
int MakeRotMatrix3x4YXZ(MAT34 *out, float x, float y, float z);
int MakeRotMatrix3x4YZX(MAT34 *out, float x, float y, float z);
int MakeRotMatrix3x4ZXY(MAT34 *out, float x, float y, float z);
int MakeRotMatrix3x4ZYX(MAT34 *out, float x, float y, float z);
// 3x3 part transposed, m12-m14 to the fourth column.
int ConvertMatrixTo3x4(MAT34 *out, const MAT44 *in);
// 3x3 part transposed, the fourth column to m12-m14, last column 0 0 0 1.
int ConvertMatrix3x4To4x4(MAT44 *out, const MAT34 *in);

// ---- rectangles -------------------------------------------------------------------

// Right and bottom are raised to at least left and top, then bottom, top, right and left are
// clamped into the bounds in that order; a rectangle wholly outside ends empty on the bound's
// edge. 0.
int ClipRect(RECT *rect, const RECT *bounds);
