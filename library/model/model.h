// 3D models: a model file becomes a shared model base, and model handles are drawable copies of
// a base that a program places, scales, turns, fades and draws. Drawing recomputes only what a
// setter marked stale. Every entry returns -1 for a bad handle and while the model system is not
// set up (it is set up at library start-up when a Direct3D device exists).
#pragma once

#include "library/base/vecmath.h"

// ---- the system -----------------------------------------------------------------------

// Start-up: sine table, default smoothing angle, empty tables, the device-restore links; only
// while not set up and a graphics device exists. 0.
int InitModelSystem();
// Every model and base deleted, the tables freed, the system no longer set up. 0 (also before
// start-up).
int DeleteAllModels();

// ---- handles ----------------------------------------------------------------------------

// Loads a model file (library model file, MQO, X or PMD, tried in that order) as a new model.
int LoadModel(const char *path);
// A reserved model slot's handle, or -1.
int AddModelSlot();
// Makes the model in a reserved slot from a base; 0 / -1.
int CreateModelFromBase(int modelHandle, int baseHandle);
int DeleteModel(int modelHandle);
// Drops one reference of a base, freeing it with the last; 0 / -1.
int ReleaseModelBase(int baseHandle);

// ---- setters ----------------------------------------------------------------------------

int SetModelPosition(int model, float x, float y, float z);
int SetModelScale(int model, float x, float y, float z);
int SetModelRotation(int model, float x, float y, float z);
// Clamped to 0..1.
int SetModelAlphaRate(int model, float rate);
// Filter mode 0 point, 1 linear, 2 anisotropic, of texture `texture` of the model.
int SetModelTextureFilter(int model, int texture, int mode);

// ---- drawing ----------------------------------------------------------------------------

int RenderModel(int model);
// The base's bounding box in world space at the model's first placement (maximum first); 0 / -1.
int ComputeModelExtents(int model, VEC3 *maximum, VEC3 *minimum);
