// The sine table: 65,536 float sines over one turn, so that the model frame code and the 3x4
// rotation makers turn angles into sines and cosines with one multiply, one add and two reads.
//
// The table is filled at library start-up on every drawing path (InitSineTable), and on the
// first lookup when nothing filled it yet (unit tests, tools). Main thread only.
#pragma once

#define SINETABLE_SIZE 65536

// The 3D model system's own start-up reset (its handle-table counters and default smoothing
// angle), run by InitSineTable right after the table is filled. The model code registers it;
// until it does, none runs.
typedef int (*MODELSYSTEMRESETFUNC)();

struct SINETABLESTATE {
    float table[SINETABLE_SIZE];
    int filled;
    MODELSYSTEMRESETFUNC modelSystemReset;
};

// Fills the table when it is not filled yet; 0.
int FillSineTable();
// The start-up step: FillSineTable, then the registered model-system reset; 0.
int InitSineTable();
// Registers (or, with null, removes) the model-system reset that InitSineTable runs.
void SetModelSystemResetFunc(MODELSYSTEMRESETFUNC reset);

// Table index of an angle in radians: the nearest integer to angle x 65,536 / 2 pi (halves to
// even), modulo 65,536. Exact while |angle| stays below about 402 radians.
int SineTableIndex(float angle);
// The filled table (filled on first use).
const float *GetSineTable();
// Sine and cosine of the angle from the table (the cosine is the entry a quarter turn on).
void LookupSinCos(float *sine, float angle, float *cosine);
