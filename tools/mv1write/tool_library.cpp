// The library started for a tool that converts models: headless, in a window, its "Log.txt" in
// a folder of its own that is removed when the tool ends it.
#include "tools/mv1write/mv1_writer.h"

#include "library/base/library.h"
#include "library/base/window.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

std::filesystem::path g_logFolder;

}  // namespace

bool StartToolLibrary() {
    setenv("KELMOR_HOST", "headless", 1);
    const std::filesystem::path here = std::filesystem::current_path();
    std::random_device rd;
    g_logFolder = std::filesystem::temp_directory_path() / ("kelmor-tool-" + std::to_string(rd()));
    std::error_code ec;
    std::filesystem::create_directories(g_logFolder, ec);
    if (ec) return false;
    // The library keeps the current folder of its start as the log's folder.
    std::filesystem::current_path(g_logFolder);
    ChangeWindowMode(1);
    const int started = InitLibrary();
    std::filesystem::current_path(here);
    if (started != 0) EndToolLibrary();
    return started == 0;
}

void EndToolLibrary() {
    // The library goes back to the folder it started in; the tool stays where it is.
    const std::filesystem::path here = std::filesystem::current_path();
    EndLibrary();
    std::filesystem::current_path(here);
    std::error_code ec;
    if (!g_logFolder.empty()) std::filesystem::remove_all(g_logFolder, ec);
    g_logFolder.clear();
}
