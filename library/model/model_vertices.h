// Vertex-level builders: tangents and binormals of the normals a mesh uses (for normal-mapped
// drawing), the vertex data of a triangle list in its kind's layout (what skinning, extents and
// the shaped copies read), and the running totals of a base's geometry.
#pragma once

#include "library/model/model_base.h"

// 0, or -1 when the work memory cannot be allocated (logged).
int BuildMeshTangents(MV1MESH *mesh);
// The list's vertex data from its frame's positions and normals. 0.
int FillTriangleListVertices(MV1TRIANGLELIST *list);
// The same rules into a model's own copy of the list's vertices. 0.
int FillModelTriangleListVertices(const MV1TRIANGLELIST *list, uint8_t *out);
// One vertex of the list in its kind's layout from the given position and normal.
void WriteListVertex(const MV1TRIANGLELIST *list, uint8_t *out, const MV1POSITION *position, const VEC3 *normal);

// Bytes of one vertex of the list's kind (the list's own size for kind 3).
int ListVertexBytes(const MV1TRIANGLELIST *list);
// A vertex-data buffer for `count` vertices of the list: the list's data pointer on a 16-byte
// boundary inside a new owned block (the old one freed). 0, or -1 when it cannot be allocated.
int AllocListVertexData(MV1TRIANGLELIST *list, int count);

// Position and normal of a list vertex in kind layout.
VEC3 ListVertexPosition(const MV1TRIANGLELIST *list, const uint8_t *vertex);
VEC3 ListVertexNormal(const MV1TRIANGLELIST *list, const uint8_t *vertex);
void SetListVertexPositionNormal(const MV1TRIANGLELIST *list, uint8_t *vertex, const VEC3 *position,
                                 const VEC3 *normal);

// The totals of a base recomputed from its records; kindVertices as in MV1BASE.
void CountModelBaseTotals(const MV1BASE *base, MV1TOTALS *totals, int32_t kindVertices[4]);
// Recounts into the base itself (readers call it once the geometry stands).
void RefreshModelBaseTotals(MV1BASE *base);
