// The program entry: command-line arguments do not change what the game does.
#include "game/frame/game_entry.h"

int main() { return RunBrisgal(); }
