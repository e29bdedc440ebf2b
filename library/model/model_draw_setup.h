// What the model drawing sets on the device before it draws: the model's render states, the
// view-volume test of a frame's box, a mesh's material, blend and texture stages (main pass and
// toon outline), and the software vertex copy of a triangle list.
#pragma once

#include "library/graphics/render_state.h"
#include "library/model/model_base.h"

int SetModelRenderStates(MV1INSTANCE *model);
// 1 when the eight corners all lie beyond one and the same side of the view volume after the
// current view and projection; 0 as soon as one lies inside (a corner at w = 0 counts as inside).
int IsBoxOutsideView(const VEC3 corners[8]);
// The eight corners of a box in the order the view test takes them: (min, min, min),
// (max, min, min), (max, max, min), (min, max, min), (min, max, max), (min, min, max),
// (max, min, max), (max, max, max).
void BoxCorners(const VEC3 &minimum, const VEC3 &maximum, VEC3 corners[8]);

// The blend words of a blend mode into the block (every block starts from mode 0's: blending
// off with the layer's current words), with the texture factor's alpha trunc(opacity x param).
void SetModelBlendBlock(DRAWSTATEBLOCK *block, int mode, int param, float opacity);
// Material, culling, blend and specular of a mesh; the vertex-shader count and pixel-shader index
// additions go into the caller's running values. Returns shaderIndex.
int *SetupMeshMaterial(int *shaderCount, int *shaderIndex, DRAWSTATEBLOCK *block, const MV1MESHSTATE *mesh);
int SetupOutlineMaterial(DRAWSTATEBLOCK *block, const MV1MESHSTATE *mesh);
void SetupMeshTextureStages(const MV1MESHSTATE *mesh, DRAWSTATEBLOCK *block, int shaderPath);
void SetupOutlineStages(const MV1MESHSTATE *mesh, DRAWSTATEBLOCK *block, int shaderPath);

// The list's software vertices: position, normal, diffuse, specular, then (u, v, 1, 1) per UV set
// ((sets + 2) x 16 bytes). Rigid lists take position and normal from their vertex data; skinned
// ones get them from the skinning. False when memory runs out.
bool BuildTriangleListSoftVertices(MV1TRIANGLELIST *list);
