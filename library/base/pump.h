// The message pump: the library's heartbeat, once per frame and wherever it waits for
// the window.
#pragma once

// 0, or -1 while the quit flag is set.
int PumpWindowMessages();
// Pumps while the window is inactive (and not painting).
void WaitWhileInactive();
