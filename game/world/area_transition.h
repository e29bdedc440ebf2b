// The area-transition record: which area the player is in and the local hour taken at the last
// area change (the backdrop and the field objects read both). The warp step and the immediate
// area load grow on this record.
#pragma once

#include <cstdint>

struct AreaTransition {
    int currentArea = 0;
    int localHour = 0; // 0..23
};

// currentArea 0, localHour from the clock.
void InitAreaTransition(AreaTransition &transition);
// localHour = the hour of the local time now.
void StoreLocalHour(AreaTransition &transition);

// Where the local hour comes from: the C runtime's local time unless a test puts a source of its
// own in place (null restores the clock). Answers outside 0..23 are wrapped into it.
using LocalHourSource = int (*)();
void SetLocalHourSource(LocalHourSource source);
int CurrentLocalHour();
