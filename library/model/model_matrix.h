// A model's matrices brought up to date lazily: the model matrix and every frame that the matrix
// change bits mark, with the skin matrices of the bones those frames move; and the bounding boxes
// of a base, computed once from its first model.
#pragma once

#include "library/model/model_base.h"

// Nothing while the matrices-valid byte is set.
void UpdateModelLocalMatrix(MV1INSTANCE *model);
// The frame's 4x4 world matrix (row-vector form) from its 3x4 one, made once after each change.
const MAT44 *FrameWorldMatrix(MV1FRAMESTATE *frame);
// Marks the model's matrices stale: the matrix change bits (all, unless bit 0 is set already),
// and both the matrices-valid and the draw-state-valid bytes.
void MarkModelMatricesChanged(MV1INSTANCE *model);

// Blends a vertex of the list (kind layout) by the skin matrices of its frame state.
void SkinListVertex(const MV1TRIANGLELIST *list, const uint8_t *vertex, MAT34 *const *skin, VEC3 *position,
                    VEC3 *normal);
// The list's vertices skinned into `out` (position then normal at the start of each vertex of
// `stride` bytes).
void SkinTriangleList(const MV1TRIANGLELIST *list, const uint8_t *source, MAT34 *const *skin, uint8_t *out,
                      int stride);
