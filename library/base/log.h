// The library's log: "Log.txt" in the start directory (Shift-JIS text, CR LF line ends, a
// millisecond stamp and tab indentation at each line start), copied to the debugger output.
// The file is opened and closed for every write, so it is complete after a crash.
#pragma once

// Writes text; nothing is written before the start directory is set. Always -1, which callers
// return as their own error result.
int WriteLog(const char *text);
// printf-style; the text is cut to fit a 1,024-byte buffer with its "\n", which is appended.
// Always -1.
int WriteLogFmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Indentation + 1 / - 1 (never below 0). Both return 0.
int RaiseLogIndent();
int LowerLogIndent();
// Deletes and re-creates "Log.txt" empty in the current directory and restarts the stamps.
// Called once by start-up, while the current directory is the start directory. Returns 1.
int StartLogFile();

// The start directory (Windows-shaped path) the log file lives in; start-up stores it here and
// reads it back. Null or "" clears it, which stops the log.
void SetLogStartDirectory(const char *directory);
// "" while not set.
const char *GetLogStartDirectory();
