// PMD models and their VMD motions: the working bone and IK records, the bone matrices and the IK
// solver the motion baking runs every frame, and the readers' fill steps.
#pragma once

#include "library/base/vecmath.h"

#include <cstdint>

struct MODELLOADDATA;
struct MODELLOADFRAME;
struct MODELLOADANIM;
struct MODELLOADKEYSET;

constexpr int PMD_BONES_MAX = 1024;
constexpr int VMD_NAMES_MAX = 2048;
constexpr int64_t VMD_FRAMES_MAX = 1000000;  // a longer motion is refused

struct PMDBONE {
    const uint8_t *record;    // the bone's 39 bytes in the file
    MODELLOADFRAME *frame;
    uint8_t type;
    uint8_t knee;             // bends only about X under IK
    uint8_t ik;               // an IK effector or link
    MAT44 world;              // row-vector form
    VEC3 translation;         // local
    float quaternion[4];      // x, y, z, w
    VEC3 head;
    int32_t parent;           // the bone whose frame is this frame's parent, or -1
    // Motion baking: the bone's animation, its key sets and the frame of their first key.
    MODELLOADANIM *anim;
    MODELLOADKEYSET *translationKeys, *rotationKeys;
    int32_t keyStart;
    uint8_t ikOnly;           // an animation made for an IK-moved bone without keys
    int32_t cursor;           // the name-table entry of its keys, or -1
};

struct PMDIKCHAIN {
    const uint8_t *record;
    PMDBONE *goal;
    PMDBONE *effector;
    uint16_t iterations;
    float limit;              // control weight x pi
    int32_t linkCount;
    uint16_t links[255];      // the first next to the effector
    PMDIKCHAIN *prev, *next;  // solve order
};

// q / |q| (four components).
void NormalizeQuaternion(const float *in, float *out);
// World = the local rotation and translation, times the parent bone's world when there is one.
void UpdatePmdBoneMatrix(PMDBONE *bones, PMDBONE *bone);
void UpdatePmdBoneMatrices(int count, PMDBONE *bones);
// Every chain in solve order.
void SolvePmdIK(const PMDIKCHAIN *first, PMDBONE *bones);

// The file image read into a new read data with the motions found beside it (`folder` and
// `name` give their paths), which the caller then owns. 0, or -1 (the read data already released;
// silently for a file that is not a PMD file).
int FillPmdLoadData(const void *image, int size, const char *path, const char *name, const char *folder,
                    MODELLOADDATA *data);
// One VMD motion as one animation set. 0, or -1 (silently for a file of another magic).
int ReadVmdMotion(const void *image, int size, MODELLOADDATA *data, const char *setName, PMDBONE *bones,
                  int boneCount, const PMDIKCHAIN *firstChain);
