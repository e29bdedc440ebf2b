// The program entry's work: the screen question, the settings made before the library starts,
// the start-up measurements and loads, the game object's run, the library's end.
#pragma once

#include "game/frame/game_frame.h"

// 0 after a normal run, -1 on Cancel or when the library cannot start.
int RunBrisgal();

// Times 100 presents and stores the frame rate in g_measuredRefreshRate.
void MeasureRefreshRate();
void MeasureRefreshRateWith(MillisecondClock clock, int (*present)());
