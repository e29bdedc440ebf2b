// Two rebuilds of a base's geometry, one frame's meshes at a time: normals recomputed from the
// faces by a smoothing angle (mesh vertices split or merged so that each carries its group's
// normal), and exactly equal positions, mesh vertices and list entries merged. Both keep the
// triangle lists, the shapes and the base's totals consistent.
#pragma once

#include "library/model/model_base.h"

// 1 after a rebuild, 0 for a frame without meshes, -1 when the model system is not set up or
// memory runs out (logged; the frame may be left partly rebuilt).
int RecalcFrameNormals(MV1FRAME *frame, float smoothingAngle);
// 0 (also when nothing merged or without meshes), -1 when memory runs out (logged).
int OptimizeFrameVertices(MV1FRAME *frame);
// The rebuilds over every frame of a base, then its device buffers made again; 0, or -1 for a
// bad handle or a failed rebuild.
int RecalcModelBaseNormals(int baseHandle, float smoothingAngle);
int OptimizeModelBaseVertices(int baseHandle);
