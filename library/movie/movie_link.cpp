// Puts the movie layer into the library's start-up and the window's activation changes. The
// movie library's link options name kelmor_movie_link, so every program that links the library
// keeps this file and with it the record's entries.
#include "library/base/component_links.h"
#include "library/movie/movie.h"
#include "library/movie/theora_decoder.h"

extern "C" {
extern const int kelmor_movie_link;
const int kelmor_movie_link = [] {
    g_movieLink = MOVIELINK{[] {
                                BuildYuvToRgbTables();
                                ConnectMovieLayer();
                            },
                            PauseAllMovies, ResumeAllMovies};
    return 1;
}();
}
