// Playing movies: the frame a Theora movie shows now, pausing and resuming.
#include "library/base/timer.h"
#include "library/movie/movie_internal.h"
#include "library/sound/sound.h"

namespace {

int64_t Now() { return (int64_t)GetMicrosecondCount(0); }

// A Theora movie's frame by its clock or its sound; the decoder steps forward to it.
void AdvanceTheoraMovie(MOVIEREC *rec) {
    THEORAINFO info;
    GetTheoraInfo(rec->decoder, &info);
    const bool loop = (rec->playType & MOVIE_PLAY_LOOP) != 0;
    const int frame = rec->sound == -1
                          ? MovieFrameAtTime(Now() - rec->startTime, info.frameRate, info.frameCount, loop)
                          : MovieFrameAtSoundTime(GetSoundHandlePlayTime(rec->sound), info.frameRate, info.frameCount);
    const int current = GetTheoraFrameNumber(rec->decoder);
    if (frame != current) {
        int step = frame - current;
        if (step < 0) step += (int)info.frameCount;
        StepTheoraFrames(rec->decoder, step);
    } else if (!loop && frame == info.frameCount - 1 && (rec->sound == -1 || IsSoundHandlePlaying(rec->sound) != 1)) {
        // The last frame is shown and nothing more comes (a sound track has ended too).
        rec->wantsToPlay = 0;
        rec->stopped = 1;
    }
}

// Starts a record as ResumeAllMovies does.
void StartRecord(MOVIEREC *rec) {
    if (rec->theora) {
        THEORAINFO info;
        GetTheoraInfo(rec->decoder, &info);
        const int64_t shown = (int64_t)((double)GetTheoraFrameNumber(rec->decoder) * 1000000.0 / info.frameRate);
        rec->startTime = Now() - shown;
        if (rec->sound != -1) PlaySoundHandle(rec->sound, rec->playType == 0 ? 1 : rec->playType, 0);
    } else {
        ResumeDirectShowMovie(rec);
    }
    rec->stopped = 0;
    rec->wantsToPlay = 1;
}

}  // namespace

int MovieFrameAtTime(int64_t elapsed, double frameRate, int64_t frameCount, int loop) {
    if (frameCount <= 0) return 0;
    if (elapsed < 0) elapsed = 0;
    int64_t frame = (int64_t)((double)elapsed * frameRate / 1000000.0);
    if (frame >= frameCount) frame = loop ? frame % frameCount : frameCount - 1;
    return (int)frame;
}

int MovieFrameAtSoundTime(int64_t playMilliseconds, double frameRate, int64_t frameCount) {
    if (frameCount <= 0 || playMilliseconds < 0) return 0;
    int64_t frame = (int64_t)((double)playMilliseconds * 1000.0 * frameRate / 1000000.0);
    return (int)(frame < frameCount ? frame : frameCount - 1);
}

int AdvanceMovieFrame(int handle) {
    MOVIEREC *rec = GetMovieRecord(handle);
    if (!rec) return -1;
    if (!rec->theora) {
        AdvanceDirectShowMovie(rec, handle);
        return 0;
    }
    if (rec->stopped) return 0;
    AdvanceTheoraMovie(rec);
    if (rec->callback) {
        rec->callback(handle, rec->userValue);
        rec->frameShown = 1;
    }
    return 0;
}

int PauseMovie(int handle, int keep) {
    MOVIEREC *rec = GetMovieRecord(handle);
    if (!rec) return -1;
    if (rec->stopped) return 0;
    if (rec->theora) {
        if (rec->sound != -1) StopSoundHandle(rec->sound);
        AdvanceMovieFrame(handle);
    } else {
        PauseDirectShowMovie(rec);
    }
    rec->stopped = 1;
    if (!keep) rec->wantsToPlay = 0;
    return 0;
}

void PauseAllMovies() {
    for (int slot = 0; slot < MOVIE_MAX_HANDLES; slot++)
        if (MOVIEREC *rec = g_movies.records[slot]) PauseMovie(MovieHandleOf(slot, rec->check), 1);
}

void ResumeAllMovies() {
    for (MOVIEREC *rec : g_movies.records)
        if (rec && rec->stopped && rec->wantsToPlay) StartRecord(rec);
}

int PlayMovie(int handle) {
    MOVIEREC *rec = GetMovieRecord(handle);
    if (!rec) return -1;
    if (rec->stopped) StartRecord(rec);
    return 0;
}
