// The converter's steps and the helpers the model file reader shares with it.
#pragma once

#include "library/model/model_base.h"
#include "library/model/model_load_data.h"

// Skin classes (the vertex kind of the list that takes a face).
inline int SkinClassOf(int bones) { return bones == 0 ? 0 : bones <= 4 ? 1 : bones <= 8 ? 2 : 3; }
// Vertex bytes of a list of a class (class 3: with `weights` pairs, rounded down to 16).
inline int ClassVertexSize(int cls, int weights) { return cls < 3 ? kKindVertexSize[cls] : (weights * 8 + 47) & ~15; }
constexpr int kListTriangles = 65535 / 3;  // a list holds at most 65,535 indices

// Triangulation, normals, skin tables and the piece plans of one mesh (conversion step 3);
// false after logging.
bool PlanModelLoadMesh(MODELLOADDATA *data, MODELLOADMESH *mesh);
// The list count of a piece plan by class, and of all its classes.
int PlanListCount(const MODELLOADPIECEPLAN *plan, int cls);

// The frame's transform parts from its matrix: translation row, rotation angles and order
// found by trying the six orders, and a scale when the rows are not of length 1.
void DecomposeFrameMatrix(const MODELLOADFRAME *in, MV1FRAME *out);

// The pieces of a frame's meshes (vertices made unique, triangle lists by class) from the next
// free mesh and list of the base on; the draw-state bit moves past the frame and its pieces.
// The frame's positions and skin slots stand already. False when memory runs out.
bool ConvertFramePieces(MV1BASE *base, MODELLOADFRAME *frame, int *drawBit);
// The frame's shapes on the pieces whose vertices they move. False when memory runs out.
bool ConvertFrameShapes(MV1BASE *base, MODELLOADFRAME *frame);

// A mesh's faces from its triangle lists, list by list (skin class, list number, vertices).
void FillMeshFacesFromLists(MV1MESH *mesh);
