// What the movie layer's files share: the handle table and the DirectShow branch.
#pragma once

#include "library/movie/movie.h"

struct MOVIETABLE {
    MOVIEREC *records[MOVIE_MAX_HANDLES];
    int32_t liveCount;
    int32_t nextCheck;  // 0 .. 2,047
};
extern MOVIETABLE g_movies;

inline int MovieHandleOf(int slot, int check) { return slot | (check | 0x1800) << 16; }

// DirectShow (movie_dshow.cpp). Open: 0, or -1 with every interface released and the pending
// message logged. Advance: the renderer's new frame to the callback, and the loop or the stop at
// the stop position. Release: every interface and the temporary copy.
int OpenDirectShowMovie(MOVIEREC *rec, const char *path);
void AdvanceDirectShowMovie(MOVIEREC *rec, int handle);
void PauseDirectShowMovie(MOVIEREC *rec);
void ResumeDirectShowMovie(MOVIEREC *rec);
void ReleaseDirectShowMovie(MOVIEREC *rec);
