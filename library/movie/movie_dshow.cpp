// The DirectShow branch of the movie layer.
#include "library/movie/movie_internal.h"

int OpenDirectShowMovie(MOVIEREC *, const char *) { return -1; }
void AdvanceDirectShowMovie(MOVIEREC *, int) {}
void PauseDirectShowMovie(MOVIEREC *) {}
void ResumeDirectShowMovie(MOVIEREC *) {}
void ReleaseDirectShowMovie(MOVIEREC *) {}
