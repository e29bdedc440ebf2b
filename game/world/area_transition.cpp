#include "game/world/area_transition.h"

#include <ctime>

namespace {
int ClockHour()
{
    const std::time_t now = std::time(nullptr);
    const std::tm *local = std::localtime(&now);
    return local ? local->tm_hour : 0;
}

LocalHourSource g_hourSource = ClockHour;
} // namespace

void SetLocalHourSource(LocalHourSource source) { g_hourSource = source ? source : ClockHour; }

int CurrentLocalHour()
{
    const int h = g_hourSource() % 24;
    return h < 0 ? h + 24 : h;
}

void InitAreaTransition(AreaTransition &transition)
{
    transition.currentArea = 0;
    transition.localHour = CurrentLocalHour();
}

void StoreLocalHour(AreaTransition &transition) { transition.localHour = CurrentLocalHour(); }
