// kla-pack: writes a KLA archive from a folder.
//   kla-pack [--version N] [--pack | --pack-all] [--key STRING] [--second-key] FOLDER ARCHIVE
#include "tools/kla/kla_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

static int Usage()
{
    fprintf(stderr,
            "usage: kla-pack [--version 0-3] [--pack | --pack-all] [--key STRING] [--second-key] FOLDER ARCHIVE\n"
            "  --pack      LZ-pack entries that get smaller (version 2 and later)\n"
            "  --pack-all  LZ-pack every file entry\n");
    return 2;
}

int main(int argc, char **argv)
{
    KlaOptions options;
    const char *folder = nullptr, *archive = nullptr;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--version" && i + 1 < argc) options.version = atoi(argv[++i]);
        else if (a == "--pack") options.pack = KlaPack::WhenSmaller;
        else if (a == "--pack-all") options.pack = KlaPack::Always;
        else if (a == "--key" && i + 1 < argc) options.keyString = argv[++i];
        else if (a == "--second-key") options.secondKey = true;
        else if (a.rfind("--", 0) == 0) return Usage();
        else if (folder == nullptr) folder = argv[i];
        else if (archive == nullptr) archive = argv[i];
        else return Usage();
    }
    if (folder == nullptr || archive == nullptr || options.version < 0 || options.version > 3) return Usage();
    if (options.pack != KlaPack::None && options.version < 2) {
        fprintf(stderr, "kla-pack: version %d archives hold stored entries only\n", options.version);
        return 2;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        fprintf(stderr, "kla-pack: %s is not a folder\n", folder);
        return 1;
    }
    try {
        if (!WriteKlaFile(archive, ReadKlaFolder(folder), options)) {
            fprintf(stderr, "kla-pack: cannot write %s\n", archive);
            return 1;
        }
    } catch (const std::exception &e) {
        fprintf(stderr, "kla-pack: %s\n", e.what());
        return 1;
    }
    return 0;
}
