// Movie handles: a playing video file whose current frame feeds a graph. Ogg Theora files play
// through the library's own decoder (their Vorbis track as a stream sound); other files go to a
// DirectShow filter graph that renders into the library's renderer filter. The draw entries move a
// bound movie on before drawing its graph; the window pauses and resumes all movies with its
// activation. Main thread only.
#pragma once

#include <cstdint>

#include "library/graphics/base_image.h"
#include "library/movie/theora_decoder.h"

#define MOVIE_MAX_HANDLES 100
#define MOVIE_PLAY_LOOP 2  // bit of the play type

struct IGraphBuilder;
struct IMediaControl;
struct IMediaSeeking;
struct IBasicAudio;
class MovieRenderer;

struct MOVIEREC {
    int32_t check;
    int32_t playType;  // 1 after open; MOVIE_PLAY_LOOP = loop
    int32_t theora;    // 1: the Theora decoder plays it
    THEORADEC *decoder;
    int64_t startTime;  // microsecond clock of frame 0 (Theora without sound)
    uintptr_t file;     // the file the decoder reads
    int32_t sound;      // the movie's sound track, or -1
    IGraphBuilder *graph;
    IMediaControl *control;
    IMediaSeeking *seeking;
    IBasicAudio *audio;
    MovieRenderer *renderer;
    int64_t frameTime;     // the stream's duration (100 ns units; 0 read becomes 166,666)
    int64_t stopPosition;  // 100 ns units
    int32_t width, height;
    int32_t wantsToPlay;
    int32_t stopped;     // stopped or paused (1 after open)
    int32_t frameShown;  // the frame callback ran
    int32_t tempFile;    // path names a temporary copy, deleted at close
    char path[260];
    BASEIMAGE frameImage;      // the renderer's frame (DirectShow): 24-bit RGB over its pixels
    BASEIMAGE *frameImageRef;  // what graphs read: the decoder's RGB image or frameImage
    void (*callback)(int movie, int value);
    int32_t userValue;
    int32_t option;  // the movie option it was opened with
};

// Handle or -1; the video size goes to width and height.
int OpenMovie(const char *path, int *width, int *height, int option);
int CloseMovieHandle(int handle);
MOVIEREC *GetMovieRecord(int handle);
// Brings the movie's frame up to the clock (or its sound) and runs the frame callback; 0.
int AdvanceMovieFrame(int handle);
int SetMovieFrameCallback(int handle, void (*callback)(int movie, int value), int value);
// keep 1: it still wants to play (a later ResumeAllMovies starts it again).
int PauseMovie(int handle, int keep);
void PauseAllMovies();
void ResumeAllMovies();
// Starts one movie as ResumeAllMovies starts those that want to play; 0 / -1.
int PlayMovie(int handle);

// Library start: fills the graph layer's movie entries.
void ConnectMovieLayer();

// Pure pacing rules of the Theora branch. The frame for a time since frame 0 in microseconds;
// at or past the count it wraps with the loop bit, else stays on the last frame.
int MovieFrameAtTime(int64_t elapsedMicroseconds, double frameRate, int64_t frameCount, int loop);
// The frame for the sound's play time in milliseconds, at most the last frame.
int MovieFrameAtSoundTime(int64_t playMilliseconds, double frameRate, int64_t frameCount);
