// The setters only store and mark what the next draw must recompute; a value equal bit for bit
// to the stored one changes nothing.
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_matrix.h"

#include <cstring>

namespace {

MV1INSTANCE *Model(int handle) { return g_modelSystem.started ? GetModelInstance(handle) : nullptr; }

bool SameBits(const VEC3 &a, float x, float y, float z) {
    const VEC3 b{x, y, z};
    return std::memcmp(&a, &b, sizeof a) == 0;
}

int SetTransformPart(int handle, VEC3 MV1INSTANCE::*part, float x, float y, float z) {
    MV1INSTANCE *model = Model(handle);
    if (!model) return -1;
    if (SameBits(model->*part, x, y, z)) return 0;
    model->*part = VEC3{x, y, z};
    MarkModelMatricesChanged(model);
    return 0;
}

}  // namespace

int SetModelPosition(int model, float x, float y, float z) {
    return SetTransformPart(model, &MV1INSTANCE::translation, x, y, z);
}

int SetModelScale(int model, float x, float y, float z) { return SetTransformPart(model, &MV1INSTANCE::scale, x, y, z); }

int SetModelRotation(int handle, float x, float y, float z) {
    MV1INSTANCE *model = Model(handle);
    if (!model) return -1;
    if (model->rotationKind == MV1_ROTATION_ANGLES && SameBits(model->rotation, x, y, z)) return 0;
    model->rotationKind = MV1_ROTATION_ANGLES;
    model->rotation = VEC3{x, y, z};
    MarkModelMatricesChanged(model);
    return 0;
}

int SetModelAlphaRate(int handle, float rate) {
    MV1INSTANCE *model = Model(handle);
    if (!model) return -1;
    if (rate < 0.0f) rate = 0.0f;
    if (rate > 1.0f) rate = 1.0f;
    if (std::memcmp(&rate, &model->opacity, sizeof rate) == 0) return 0;
    model->opacity = rate;
    if (!(model->drawStateBits[0] & 1)) std::memset(model->drawStateBits, 0xFF, (size_t)model->drawStateBytes);
    model->opacityValid = 0;
    model->drawStateValid = 0;
    return 0;
}

int SetModelTextureFilter(int handle, int texture, int mode) {
    MV1INSTANCE *model = Model(handle);
    if (!model || texture < 0 || texture >= model->base->textureCount) return -1;
    // The draw looks the mode up in a three-row table.
    if (mode < 0 || mode > 2) return -1;
    model->textures[texture].filterMode = mode;
    return 0;
}
