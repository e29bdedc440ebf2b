// The movie handle table: opening a file as a Theora movie or through DirectShow, and closing.
#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/movie/movie_internal.h"
#include "library/sound/sound.h"

MOVIETABLE g_movies;

namespace {

constexpr int kTheoraStock = 10;

// The Theora branch: the decoder over the file, the sound track as a stream sound; 0 / -1.
int OpenTheoraMovie(MOVIEREC *rec, const char *path) {
    rec->file = OpenDataFile(path, 0, 0, 0);
    if (!rec->file) return -1;
    rec->decoder = OpenTheoraDecoder(GetFileStreamFuncs(), rec->file, kTheoraStock);
    if (!rec->decoder) {
        CloseDataFile(rec->file);
        rec->file = 0;
        return -1;
    }
    const int savedType = GetSoundCreateType();
    SetMovieSoundFlag(1);
    SetSoundCreateType(3);
    rec->sound = LoadSound(path, 1, -1);
    SetMovieSoundFlag(0);
    SetSoundCreateType(savedType);
    THEORAINFO info;
    GetTheoraInfo(rec->decoder, &info);
    rec->width = info.width;
    rec->height = info.height;
    rec->theora = 1;
    rec->frameImageRef = GetTheoraImage(rec->decoder);
    return 0;
}

}  // namespace

MOVIEREC *GetMovieRecord(int handle) {
    if (handle < 0 || ((handle >> 27) & 0xF) != 3) return nullptr;
    const int slot = handle & 0xFFFF;
    if (slot >= MOVIE_MAX_HANDLES || !g_movies.records[slot]) return nullptr;
    MOVIEREC *rec = g_movies.records[slot];
    return rec->check == ((handle >> 16) & 0x7FF) ? rec : nullptr;
}

int OpenMovie(const char *path, int *width, int *height, int option) {
    if (!path) return -1;
    int slot = 0;
    while (slot < MOVIE_MAX_HANDLES && g_movies.records[slot]) slot++;
    if (slot == MOVIE_MAX_HANDLES) return -1;
    MOVIEREC *rec = (MOVIEREC *)MEM_ALLOC_ZERO(sizeof(MOVIEREC));
    if (!rec) return WriteLog("メモリの確保に失敗しました in OpenMovie");
    rec->sound = -1;
    rec->option = option;
    if (OpenTheoraMovie(rec, path) != 0) {
        if (OpenDirectShowMovie(rec, path) != 0) {
            MEM_FREE(rec);
            return WriteLog("ムービーファイルオープン処理時にエラーが発生しました");
        }
        rec->frameImageRef = &rec->frameImage;
    }
    if (width) *width = rec->width;
    if (height) *height = rec->height;
    rec->stopped = 1;
    rec->wantsToPlay = 0;
    rec->playType = 1;
    rec->check = g_movies.nextCheck;
    g_movies.nextCheck = g_movies.nextCheck >= 2047 ? 0 : g_movies.nextCheck + 1;
    g_movies.records[slot] = rec;
    g_movies.liveCount++;
    return MovieHandleOf(slot, rec->check);
}

int CloseMovieHandle(int handle) {
    MOVIEREC *rec = GetMovieRecord(handle);
    if (!rec) return -1;
    if (rec->theora) {
        // The decode thread reads the file: it ends before the file closes.
        CloseTheoraDecoder(rec->decoder);
        CloseDataFile(rec->file);
        if (rec->sound != -1) DeleteSoundHandle(rec->sound);
    }
    ReleaseDirectShowMovie(rec);
    MEM_FREE(rec);
    g_movies.records[handle & 0xFFFF] = nullptr;
    g_movies.liveCount--;
    return 0;
}

int SetMovieFrameCallback(int handle, void (*callback)(int movie, int value), int value) {
    MOVIEREC *rec = GetMovieRecord(handle);
    if (!rec) return -1;
    rec->callback = callback;
    rec->userValue = value;
    return 0;
}
