// A replayed key script for runs without a player: a small text file named by env
// KELMOR_KEY_SCRIPT, one event a line, "<frame> down <key>", "<frame> up <key>" or
// "<frame> save" (keys are DirectInput key codes, '#' starts a comment). A frame is one
// keyboard read: the game reads the keyboard once per frame, so frame 1 is the first frame
// of its loop. "save" asks the host to write the frame presented after that read as a PNG
// file "frameNNNNN.png" into env KELMOR_FRAME_DIR (default: the working folder).
#pragma once

#include <string>

// Applies the events up to the next frame; called by the keyboard read.
void PlatformKeyScriptStep();
// The frame count so far (0 before the first read).
int PlatformKeyScriptFrame();
// True once for a frame marked "save"; the file name to write it to in *path.
bool PlatformKeyScriptTakeSave(std::string *path);
// Tests: load a script from text (empty text: none) and restart the count.
void PlatformKeyScriptLoad(const char *text);
