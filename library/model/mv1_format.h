// The library's own model file: the bytes "MV11", then one LZ block whose contents follow the
// magic to form the image. Every offset in the image counts from the magic's first byte and 0
// means none; records of a kind are chained by the offset of the next at +4. The reader and
// the writer (tools) share these offsets, sizes, packing bits and the packed-float rule.
#pragma once

#include <cstdint>

constexpr uint8_t MV1_MAGIC[4] = {'M', 'V', '1', '1'};

// Header fields (image offsets).
enum : int {
    MV1H_KEPT_8 = 8,
    MV1H_DRAW_MASK_BYTES = 16,
    MV1H_MATRIX_MASK_BYTES = 20,
    MV1H_DRAW_MASKS = 24,
    MV1H_MATRIX_MASKS = 28,
    MV1H_FRAME_COUNT = 32,
    MV1H_FRAMES = 36,
    MV1H_KEPT_40 = 40,
    MV1H_FRAME_REF_A = 44,
    MV1H_FRAME_REF_B = 48,
    MV1H_SKIN_REF_COUNT = 52,
    MV1H_SKIN_REFS = 56,
    MV1H_MATERIAL_COUNT = 60,
    MV1H_MATERIALS = 64,
    MV1H_TEXTURE_COUNT = 68,
    MV1H_TEXTURES = 72,
    MV1H_MESH_COUNT = 76,
    MV1H_MESHES = 80,
    MV1H_ATTACHMENT_COUNT = 84,
    MV1H_ATTACHMENTS = 88,
    MV1H_SKIN_COUNT = 92,
    MV1H_SKINS = 96,
    MV1H_SKIN_DATA_COUNT = 100,
    MV1H_SKIN_DATA = 104,
    MV1H_LIST_COUNT = 108,
    MV1H_LISTS = 112,
    MV1H_RIGID_VERTICES = 124,
    MV1H_FOUR_VERTICES = 128,
    MV1H_EIGHT_VERTICES = 132,
    MV1H_FREE_BYTES = 136,
    MV1H_POSITION_BYTES = 140,
    MV1H_NORMAL_COUNT = 144,
    MV1H_MESH_VERTEX_BYTES = 148,
    MV1H_FACE_COUNT = 152,
    MV1H_LIST_VERTEX_COUNT = 156,
    MV1H_INDEX_COUNT = 160,
    MV1H_KEPT_164 = 164,
    MV1H_KEPT_168 = 168,
    MV1H_STRING_BYTES = 172,
    MV1H_STRINGS = 176,
    MV1H_KEY_DATA_BYTES = 180,
    MV1H_KEY_SET_COUNT = 192,
    MV1H_KEY_SET_SIZE = 196,
    MV1H_KEY_SETS = 200,
    MV1H_ANIM_COUNT = 204,
    MV1H_ANIM_SIZE = 208,
    MV1H_ANIMS = 212,
    MV1H_ANIM_SET_COUNT = 216,
    MV1H_ANIM_SETS = 220,
    MV1H_SHAPE_HEADER = 240,
    MV1_HEADER_BYTES = 256,  // as written; a file's header reaches at least to byte 244
};

// Record sizes as written (a reader needs the fields it reads inside the image).
enum : int {
    MV1_FRAME_BYTES = 220,
    MV1_TEXTURE_BYTES = 44,
    MV1_MATERIAL_BYTES = 696,
    MV1_MESH_BYTES = 76,
    MV1_LIST_BYTES = 28,
    MV1_SKIN_BYTES = 84,
    MV1_ATTACHMENT_BYTES = 100,
    MV1_SHAPE_HEADER_BYTES = 64,
    MV1_SHAPE_BYTES = 28,
    MV1_SHAPE_MESH_BYTES = 28,
    MV1_SHAPE_VERTEX_BYTES = 28,
    MV1_KEY_SET_BYTES = 20,
    MV1_ANIM_BYTES = 28,
    MV1_ANIM_SET_BYTES = 48,
};

// Frame packing bits (+176).
enum : uint16_t {
    MV1F_NORMALS_MASK = 3,        // 0 none, 1 s8 / 127, 2 s16 / 32767, 3 f32
    MV1F_QUANTISED = 4,           // positions as (min, scale) then u16 x min + scale u / 60000
    MV1F_NO_WEIGHTS = 8,
    MV1F_BONE_U16 = 0x10,
    MV1F_WEIGHT_U16 = 0x20,
};
constexpr float MV1_QUANTISE_STEPS = 60000.0f;
inline float QuantisedValue(float minimum, float scale, unsigned u) {
    return minimum + scale * (float)u / MV1_QUANTISE_STEPS;
}

// Mesh packing bits (+60).
enum : uint8_t {
    MV1M_POSITION_MASK = 3,       // position indices: 0 none (the vertex's own number), 1 u8, 2 u16, 3 u32
    MV1M_NORMAL_SHIFT = 2,        // normal indices in bits 2-3, the same coding
    MV1M_UV_U16 = 0x10,           // UVs as u16 / 65535
    MV1M_SHARED_COLOURS = 0x20,   // one diffuse and one specular colour for every vertex
};

// Triangle-list packing bits (+18): vertex indices in bits 0-1 (u8, u16, u32), triangle
// indices in bits 2-3 (u8, u16).
enum : uint8_t {
    MV1L_VERTEX_MASK = 3,
    MV1L_INDEX_SHIFT = 2,
};

// Key-set packing bits (+2).
enum : uint16_t {
    MV1K_ONE_KEY = 1,            // no count: one key, start 0, step 1, no timing
    MV1K_COUNT_U8 = 2,
    MV1K_COUNT_U16 = 4,
    MV1K_EVEN = 8,               // evenly spaced keys: a start and a step
    MV1K_START_U16 = 0x10,
    MV1K_NO_START = 0x20,
    MV1K_STEP_U16 = 0x40,
    MV1K_TIMES_PACKED = 0x80,    // a packed-float header and a u16 a key
    MV1K_VALUES_PACKED = 0x100,  // a u16 a component
    MV1K_ANGLE_SIGNED = 0x200,   // 2 pi u / 65535 - pi
    MV1K_ANGLE = 0x400,          // 2 pi u / 65535; neither: a packed-float header first
};

// A packed-float header: byte 0 the minimum (bit 7: 0; else bit 6 negative, bit 5 a negative
// exponent, bits 0-4 the exponent), byte 1 the step (low nibble l, high nibble h: l x 10^h for
// h below 8, l x 10^-(h - 8) above).
float PackedFloatMinimum(uint8_t byte);
float PackedFloatStep(uint8_t byte);
inline float PackedFloatValue(float minimum, float step, unsigned u) { return minimum + step * (float)u; }
// Key angles packed as u16: 2 pi u / 65535, less pi for the signed form.
inline float PackedAngle(unsigned u, bool isSigned) {
    const float pi = 3.14159265358979f;
    const float a = 2.0f * pi * (float)u / 65535.0f;
    return isSigned ? a - pi : a;
}
