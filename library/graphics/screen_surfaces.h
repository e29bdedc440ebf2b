// The surfaces behind the draw targets on the Direct3D path.
#pragma once

#include "platform/d3d9/d3d9.h"

struct GRAPHENTRY;
struct MEMIMG;

// The render-target surface of a drawable hardware graph, else null.
IDirect3DSurface9 *GraphTargetSurface(GRAPHENTRY *entry);
// The back screen: the sub back buffer when there is one, else back buffer 0.
IDirect3DSurface9 *ScreenSurface();
// What the draws go to now: the mask screen while mask drawing is on, else the target's surface.
IDirect3DSurface9 *DrawTargetSurface();
// The software path's target: a software graph's image, else the screen image.
MEMIMG *DrawTargetMemImg();
