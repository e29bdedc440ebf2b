// What start-up, shut-down, the message pump and the window procedure call in the components
// above base that link on their own: the sound, the movies and the models. Each fills its record
// before main in every program that links its library (library/sound/sound_link.cpp,
// library/movie/movie_link.cpp, library/model/model_link.cpp). A program built without one runs
// without it: no sound starts, as on a machine without sound, no file loads as a movie, and no
// model system starts (the models' start-up rides on the sine table's, sine_table.h).
#pragma once

struct SOUNDLINK {
    int (*start)();          // InitializeSoundSystem
    int (*end)();            // TerminateSoundSystem
    int (*refillStreams)();  // RefillStreamSounds, once per pump call
};

struct MOVIELINK {
    void (*start)();      // the colour-conversion tables and the graph layer's movie entries
    void (*pauseAll)();   // PauseAllMovies, when the window loses the activation
    void (*resumeAll)();  // ResumeAllMovies, when it gains it or the display changed
};

struct MODELLINK {
    int (*end)();  // DeleteAllModels, before graphics end
};

extern SOUNDLINK g_soundLink;
extern MOVIELINK g_movieLink;
extern MODELLINK g_modelLink;
