// The sound component's records: the sound globals, SOUNDREC and the stream fields.
#pragma once

#include <cstdint>

#include "library/base/handle_list.h"
#include "library/sound/pcm_convert.h"
#include "platform/dsound/dsound.h"

#define STREAM_SOURCE_FROM_STREAM 3
#define SOUND_WRITE_UNFILLED (-800)

struct SNDBUF {
    int32_t valid;
    IDirectSoundBuffer *buffer;
};

struct STREAMSOURCE {
    int8_t repeat;      // passes after the first; 0 = once
    int32_t kind;       // 3 = decoded straight from the caller's stream
    STREAMREF stream;
    PCMCONV conv;
};

struct SOUNDREC {
    int32_t checkId;
    SNDBUF buffers[10];
    WAVEFORMATEX format;
    int32_t streamFlag;
    int32_t streamPlayType;
    // Stream fields.
    int32_t ringSize;
    int32_t writePosition;
    int32_t guardPosition;
    STREAMSOURCE source;
    uint8_t closeFlag;
    int32_t sourceCount;
    int32_t currentSource;
    int32_t repeatCounter;
    int32_t sourcePosition;
    int32_t totalSamples;
    int64_t playedBytes;
    uint32_t lastCursor;
    uint8_t prepared;
    uint8_t endFlag;
    uint8_t wrapPending;
    uint8_t allDone;
    int32_t loopStart;
    int32_t endRingPosition;
    int32_t cursorAtEnd;
    int32_t wrapRingPosition;
    // Loop restarts written but not yet reached, oldest first: a loop shorter than the lead
    // has several in the ring at once.
    int32_t wrapQueue[16];
    int32_t wrapCount;
    HANDLENODE listNode;
    // Plain-sound fields.
    int32_t bufferCount;
    int32_t lastPlayed;
};

struct SOUNDSYS {
    IDirectSound *device;  // null: not started
    IDirectSoundBuffer *primary;
    IDirectSoundBuffer *silent;
    HANDLENODE streamHead, streamTail;
    int createType;
    int movieSound;  // loads read Ogg Vorbis only
    int oggSampleWidth;
    SOUNDREC *handles[4096];
    int usedCount;
    int endIndex;
    int nextCheckId;
};

extern SOUNDSYS g_sound;

// The record of a valid handle (sound system started, type, slot, check id), else null.
SOUNDREC *GetSoundRec(int handle);
// Buffer creation of the plain (count) and stream (one ring) forms; 0 / -1.
int CreateSoundBuffers(SOUNDREC *rec, const WAVEFORMATEX *format, int bytes, int stream, int count);
// A format and size DirectSound can hold as a buffer: 8/16-bit PCM, 1-2 channels, sane sizes.
bool SoundBufferFits(const WAVEFORMATEX *format, int64_t bytes);
// The device enumeration callback: one log line per device; TRUE (go on).
BOOL LogSoundDevice(GUID *guid, LPCSTR description, LPCSTR module, LPVOID context);
// Stream-side deletion steps (stop, unlist, end the source, close its stream, release).
void ReleaseStreamSound(SOUNDREC *rec);
