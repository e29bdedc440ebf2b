// The library's three entries, its start-up and shut-down sequences and the fatal exit.
#pragma once

// Library state flags (process-wide).
struct LIBSTATE {
    int initialised;       // between a successful start-up and the shut-down
    int initialising;      // while StartLibrarySystems runs
    int ending;            // from the start of EndLibrarySystems
    int comInitialised;
    // What start-up has brought up, so that any shut-down ends exactly that.
    int logStarted;
    int windowStarted;
    int inputStarted;
    int soundStarted;
};

extern LIBSTATE g_library;

// 0 when already initialised; else the start-up result, 0 or -1.
int InitLibrary();
// 0 (also when not initialised).
int EndLibrary();
// One pump call under the API lock: 0, or -1 once WM_QUIT was seen.
int ProcessWindowMessages();

// Logs the text, shuts the library down and ends the process with exit code -1.
[[noreturn]] void ExitWithError(const char *text);
[[noreturn]] void ExitWithErrorFmt(const char *format, ...) __attribute__((format(printf, 1, 2)));

int StartLibrarySystems();
int EndLibrarySystems();
