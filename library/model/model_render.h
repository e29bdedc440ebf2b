// The steps of RenderModel below the model: effective visibility and opacity down the frame tree,
// the shape (morph) step, and the drawing of one mesh list by list.
#pragma once

#include "library/model/model_base.h"

// With a frame: recomputes below the highest marked ancestor (or everything when bit 0 is set);
// with a mesh: that mesh against its frame.
void RefreshDrawState(MV1FRAMESTATE *frame, MV1MESHSTATE *mesh);
// Shape weights applied to the vertices of the meshes that have shapes. 0 / -1.
int ApplyModelShapes(int modelHandle);
void DrawModelMesh(MV1MESHSTATE *mesh);
