// The two handle tables of the models: slot reservation and handle checks.
#include "library/model/model_base.h"

#include "library/base/memory.h"

MODELSYSTEM g_modelSystem;

int ReserveModelTableSlot(MODELTABLE *table, int limit) {
    if (table->used == table->capacity) {
        if (table->capacity >= limit) return -1;
        const int grown = table->capacity + MODEL_TABLE_STEP;
        auto *entries = static_cast<uintptr_t *>(ReallocMemBlock(table->entries, (size_t)grown * sizeof(uintptr_t),
                                                                 nullptr, -1));
        if (!entries) return -1;
        for (int i = table->capacity; i < grown; ++i) entries[i] = 0;
        table->entries = entries;
        table->capacity = grown;
    }
    // From the slot handed out last, wrapping to 0 after the last slot.
    int slot = table->last;
    for (int tried = 0; tried < table->capacity; ++tried, ++slot) {
        if (slot >= table->capacity) slot = 0;
        if (table->entries[slot] != 0 || slot >= limit) continue;
        table->entries[slot] = MODEL_SLOT_RESERVED;
        ++table->used;
        table->last = slot;
        return slot;
    }
    return -1;
}

int ModelTableSlot(const MODELTABLE *table, int handle, int typeBit) {
    if ((handle & MODEL_HANDLE_TYPE_MASK) != typeBit) return -1;
    int slot;
    if (typeBit == MODEL_HANDLE_BIT) {
        slot = handle & MODEL_HANDLE_SLOT_MASK;
        if (slot >= MODEL_SLOT_LIMIT) return -1;
    } else {
        slot = handle & ~MODEL_HANDLE_TYPE_MASK;
    }
    if (slot >= table->capacity || table->entries[slot] == 0) return -1;
    return slot;
}

int AddModelBaseSlot() {
    const int slot = ReserveModelTableSlot(&g_modelSystem.bases, 0x7FFFFFF);
    return slot < 0 ? -1 : slot | MODELBASE_HANDLE_BIT;
}

int StoreModelBase(int handle, MV1BASE *base) {
    MODELTABLE &t = g_modelSystem.bases;
    const int slot = ModelTableSlot(&t, handle, MODELBASE_HANDLE_BIT);
    if (slot < 0 || t.entries[slot] != MODEL_SLOT_RESERVED || !base) return -1;
    t.entries[slot] = reinterpret_cast<uintptr_t>(base);
    base->handle = handle;
    return 0;
}

MV1BASE *GetModelBase(int handle) {
    const MODELTABLE &t = g_modelSystem.bases;
    const int slot = ModelTableSlot(&t, handle, MODELBASE_HANDLE_BIT);
    if (slot < 0 || t.entries[slot] == MODEL_SLOT_RESERVED) return nullptr;
    return reinterpret_cast<MV1BASE *>(t.entries[slot]);
}

MV1INSTANCE *GetModelInstance(int handle) {
    const MODELTABLE &t = g_modelSystem.models;
    const int slot = ModelTableSlot(&t, handle, MODEL_HANDLE_BIT);
    if (slot < 0 || t.entries[slot] == MODEL_SLOT_RESERVED) return nullptr;
    return reinterpret_cast<MV1INSTANCE *>(t.entries[slot]);
}
