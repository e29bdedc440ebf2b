// The demo data set, written by the project's generator (with short music) into a folder, as the
// game reads it. Test programs that use it are built with the generator's path.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// False when the generator fails.
inline bool WriteDemoData(const std::filesystem::path &folder)
{
    const std::string cmd = std::string(KELMOR_DEMO_DATA_GEN) + " --short-music " + folder.string() + " > /dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}
