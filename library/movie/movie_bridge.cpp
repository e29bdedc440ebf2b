// The graph layer's movie entries, filled at library start.
#include "library/graphics/graph_bridge.h"
#include "library/movie/movie_internal.h"

namespace {

int AdvanceForGraph(int movie, int) { return AdvanceMovieFrame(movie); }

// A Theora frame is converted to RGB first.
BASEIMAGE *FrameImage(int movie) {
    MOVIEREC *rec = GetMovieRecord(movie);
    if (!rec) return nullptr;
    if (rec->theora) ConvertTheoraFrame(rec->decoder, 1, 0);
    return rec->frameImageRef && rec->frameImageRef->pixels ? rec->frameImageRef : nullptr;
}

// Only a decoder that was given a YUV surface keeps its frame there.
IDirect3DSurface9 *FrameSurface(int movie) {
    MOVIEREC *rec = GetMovieRecord(movie);
    if (!rec || !rec->theora || !GetTheoraYuvSurface(rec->decoder)) return nullptr;
    ConvertTheoraFrame(rec->decoder, 0, 1);
    return GetTheoraYuvSurface(rec->decoder);
}

int Option(int movie) {
    MOVIEREC *rec = GetMovieRecord(movie);
    return rec ? rec->option : -1;
}

}  // namespace

void ConnectMovieLayer() {
    g_graphBridge.openMovie = OpenMovie;
    g_graphBridge.closeMovie = CloseMovieHandle;
    g_graphBridge.setMovieFrameCallback = SetMovieFrameCallback;
    g_graphBridge.advanceMovieFrame = AdvanceForGraph;
    g_graphBridge.playMovie = PlayMovie;
    g_graphBridge.movieOption = Option;
    g_graphBridge.movieFrameImage = FrameImage;
    g_graphBridge.movieFrameSurface = FrameSurface;
}
