// The sound component: one DirectSound device, sound handles whose PCM sits in a ring of
// duplicate buffers (plain sounds) or in one six-second ring refilled from the message pump
// (stream sounds). Entries return -1 for a bad handle or while the sound system is not started.
#pragma once

#include <cstdint>

#include "library/base/stream.h"

// Start and end (library start-up and shut-down).
int InitializeSoundSystem();
int TerminateSoundSystem();

// Sound handles.
#define SOUND_PLAY_WAIT 0
#define SOUND_PLAY_BACKGROUND 1
#define SOUND_PLAY_LOOP 3
#define SOUND_MAX_BUFFERS 10
#define SOUND_MAX_HANDLES 4096

int LoadSound(const char *path, int bufferCount, int shareHandle);
int LoadSoundFromMemory(const void *image, int size, int bufferCount, int shareHandle);
int PlaySoundHandle(int handle, int playType, int fromTop);
int StopSoundHandle(int handle);
int IsSoundHandlePlaying(int handle);
int SetSoundHandleVolume(int volume, int handle);
int DeleteSoundHandle(int handle);
int DeleteAllSoundHandles();
int AddSoundData(int shareHandle);
int SetSoundCreateType(int type);
int GetSoundCreateType();
// While set, loads read only Ogg Vorbis (the movie layer opens a movie's sound track so: a file
// without one then gives no sound rather than something another reader mistakes for one).
void SetMovieSoundFlag(int flag);
// Milliseconds played: stream sounds by their played bytes, plain sounds by the cursor of the
// buffer played last.
int GetSoundHandlePlayTime(int handle);

// Stream sounds (creation type 3).
int AddSreamSound(const STREAMREF *stream, int repeat, int handle, int kind, int *keepOpen, int shareHandle);
int PrepareStreamSound(int handle);
int PlayStreamSound(int handle, int playType, int fromTop);
int StopStreamSound(int handle);
int IsStreamSoundPlaying(int handle);
// Called by the message pump once per call; 0, -1 while the sound system is not started.
int RefillStreamSounds();
int RefillStreamSound(int handle);
int GetStreamPlayTime(int handle);
int GetStreamLengthTime(int handle);
