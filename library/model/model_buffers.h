// The device buffers of the models: a base's triangle lists packed into shared vertex and index
// buffers by (skin kind, tangent need, UV sets), so that a list draws with one indexed call; and
// their release on device loss and rebuild after the restore.
#pragma once

#include "library/model/model_base.h"

// The flexible vertex format of rigid vertices with `uvSets` four-float texture sets:
// position, normal, diffuse, specular (32 + 16 x sets bytes).
DWORD ModelVertexFvf(int uvSets);
// Bytes of one buffer vertex of a skin kind with or without the tangent frame.
int ModelBufferVertexSize(int skinKind, int tangents, int uvSets);
// Writes one list vertex in the buffer layout of (kind, tangents) from a mesh vertex.
void WriteBufferVertex(uint8_t *out, const MV1TRIANGLELIST *list, int listVertex, int tangents, int uvSets,
                       const VEC3 *position, const VEC3 *normal);

// 0, or -1 for a bad handle or a failed buffer creation or lock (no list keeps a reference then).
// 0 at once without a device, on a device without hardware vertex processing, or when built.
int BuildModelBaseVertexBuffers(int baseHandle);
int CreateAllModelBaseVertexBuffers();
// Releases a base's shared buffers (then its models' own buffers); 0 / -1.
int ReleaseModelBaseDeviceResources(int baseHandle);
// Releases the model's own vertex buffers; 0 / -1.
int ReleaseModelDeviceResources(int modelHandle);
// Every base's and every model's buffers (device loss and the graphics shut-down). 0.
int ReleaseAllModelDeviceResources();
