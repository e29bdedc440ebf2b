// actor-trace: runs the hero, its companion and the camera over a map and a button script, the
// way the play update runs them, and prints each frame's state.
//
//   actor-trace (--ascii FILE | --map FILE) [--at X,Y] [--frames N]
//               (--buttons SCRIPT | --keys KEYSCRIPT [--from FRAME])
//
// --ascii reads a map drawn as text (tools/actor-trace/ascii_map.h), --map a map grid file.
// --buttons holds runs of held buttons: letters L U R D S J (or - for none) and a frame count,
// e.g. "-10 R40 RJ12 R20". --keys reads the headless host's key script ("<frame> down <key>",
// "<frame> up <key>", DirectInput codes; '#' comments); its frame FRAME (default 1) is the trace's
// first frame, and lines are numbered by the script's frames. Keys reach the buttons through the
// default key bindings, as in the game.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/key_bindings.h"
#include "game/world/map_grid.h"
#include "tools/actor-trace/ascii_map.h"
#include "tools/actor-trace/hero_frame.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: actor-trace (--ascii FILE | --map FILE) [--at X,Y] [--frames N]\n"
                         "                   (--buttons SCRIPT | --keys KEYSCRIPT [--from FRAME])\n");
    return 2;
}

// The keys held on each trace frame (index 0 = frame 1).
using KeyFrames = std::vector<std::set<int>>;

bool ButtonRuns(const std::string &script, KeyFrames *frames)
{
    const char *letters = "LURDSJ";
    const int buttons[] = {BUTTON_LEFT, BUTTON_UP, BUTTON_RIGHT, BUTTON_DOWN, BUTTON_SHOT, BUTTON_JUMP};
    std::istringstream in(script);
    std::string run;
    while (in >> run) {
        size_t digits = run.find_first_of("0123456789");
        if (digits == std::string::npos || digits == 0) return false;
        std::set<int> held;
        for (size_t i = 0; i < digits; i++) {
            if (run[i] == '-') continue;
            const char *at = std::strchr(letters, run[i]);
            if (!at) return false;
            held.insert(GetGameInput().keyAssign[buttons[at - letters]] & 0xFF);
        }
        int count = std::atoi(run.c_str() + digits);
        for (int i = 0; i < count; i++) frames->push_back(held);
    }
    return true;
}

bool KeyScript(const char *path, int from, KeyFrames *frames)
{
    std::ifstream in(path);
    if (!in) return false;
    std::map<int, std::vector<std::pair<bool, int>>> events; // frame -> (down, key)
    int last = from;
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        int frame = 0, key = 0;
        std::string what;
        if (!(words >> frame >> what)) continue;
        if (what != "down" && what != "up") continue;
        if (!(words >> key)) return false;
        events[frame].push_back({what == "down", key});
        last = std::max(last, frame);
    }
    std::set<int> held;
    for (int frame = 1; frame <= last; frame++) {
        for (auto [down, key] : events[frame]) {
            if (down) held.insert(key);
            else held.erase(key);
        }
        if (frame >= from) frames->push_back(held);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const char *ascii = nullptr, *mapFile = nullptr, *buttons = nullptr, *keys = nullptr;
    int from = 1, count = -1;
    float startX = -1, startY = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string o = argv[i];
        if (o == "--ascii") ascii = argv[i + 1];
        else if (o == "--map") mapFile = argv[i + 1];
        else if (o == "--buttons") buttons = argv[i + 1];
        else if (o == "--keys") keys = argv[i + 1];
        else if (o == "--from") from = std::atoi(argv[i + 1]);
        else if (o == "--frames") count = std::atoi(argv[i + 1]);
        else if (o == "--at") {
            if (std::sscanf(argv[i + 1], "%f,%f", &startX, &startY) != 2) return Usage();
        } else return Usage();
    }
    if (argc % 2 == 0 || (!ascii == !mapFile) || (!buttons == !keys)) return Usage();

    MapGrid grid;
    std::string error;
    if (ascii && !LoadAsciiMap(ascii, grid, &error)) {
        std::fprintf(stderr, "actor-trace: %s\n", error.c_str());
        return 1;
    }
    if (mapFile) {
        SetMapGridPath(grid, mapFile);
        if (LoadMapGrid(grid) != 0) {
            std::fprintf(stderr, "actor-trace: %s is not a map grid\n", mapFile);
            return 1;
        }
    }

    SetDefaultKeyBindings();
    KeyFrames frames;
    if (buttons && !ButtonRuns(buttons, &frames)) {
        std::fprintf(stderr, "actor-trace: bad button runs \"%s\"\n", buttons);
        return 1;
    }
    if (keys && !KeyScript(keys, from, &frames)) {
        std::fprintf(stderr, "actor-trace: cannot read the key script %s\n", keys);
        return 1;
    }
    if (count < 0) count = (int)frames.size();

    Player player;
    Companion companion;
    Arms arms;
    LinkHeroRecords(player, companion, arms);
    player.grid = companion.grid = &grid;
    InitPlayer(player);
    if (startX >= 0) {
        player.x = startX;
        player.y = startY;
    }
    GameInput &input = GetGameInput();
    for (int frame = 1; frame <= count; frame++) {
        char states[kKeyCounterCount] = {};
        if (frame <= (int)frames.size())
            for (int key : frames[frame - 1]) states[key & 0xFF] = 1;
        input.UpdateKeyCountersFrom(states);
        input.UpdatePadCountersFrom(0);
        RunHeroFrame(player, companion);
        std::printf("%s\n", HeroTraceLine(keys ? frame + from - 1 : frame, player, companion).c_str());
    }
    return 0;
}
