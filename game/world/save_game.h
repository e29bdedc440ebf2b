// The one save slot and the initial world state: saving the game into "EX03_19_SCORE_DATA.DAT",
// resuming it, starting a new game from "META_MUSIC_BUFFER_DATA.INT", and the world reset and
// copy that event scripts ask for.
#pragma once

#include <cstdint>
#include <vector>

struct Arms;
struct AreaTransition;
struct StatusWindow;
struct StorageBox;
class FieldObjects;
class Inventory;

// Where a new game starts: the new-game room, beside its door.
constexpr int kNewGameArea = 111;
constexpr int kNewGameX = 104, kNewGameY = 168;
// A loaded game always resumes here, whatever the file says.
constexpr int kContinueArea = 99;
constexpr int kContinueX = 248, kContinueY = 328;

struct SaveRecord {
    SaveRecord();

    // Set once by the game object.
    Inventory *inventory = nullptr;
    FieldObjects *fieldObjects = nullptr;
    StorageBox *storage = nullptr;
    Arms *arms = nullptr;
    StatusWindow *status = nullptr;
    AreaTransition *transition = nullptr;

    std::vector<uint8_t> image;          // the save file's bytes as last saved or loaded
    std::vector<uint8_t> templateBlocks; // the initial world state; blocks start empty (header byte 1)
    bool holdsGame = false;              // the image holds a game saved or loaded in this run
};

// Fills the image from the live game and writes it through a sibling file that replaces the old
// save. With the penalty the file holds half the money and HP and MP 1; the live game keeps its
// values, except that HP, MP and their maxima are capped at 999. 0, or -1 with a log line when
// the file could not be written (the old save stays whole).
int SaveGame(SaveRecord &save, int penalty);
// Reads the save file, checks it, restores the live game from it and enters area 99 at
// (248, 328). Without a file the image of this run's last save or load is resumed. -1 with
// nothing changed when the file is refused or there is nothing to resume.
int LoadGame(SaveRecord &save);
// The new-game state from the initial world state; enters the new-game room.
void StartNewGame(SaveRecord &save);
// Restocks the shop (item 75 keeps its stock) and puts every world block but 92 back to the
// initial world state.
void ResetWorldState(SaveRecord &save);
// The live world blocks become the template (memory only).
void CopyWorldToTemplate(SaveRecord &save);
// Reads "META_MUSIC_BUFFER_DATA.INT" into the template: -1 with a log line, the template
// unchanged, when it is missing or not 820,000 bytes.
int ReadWorldTemplate(SaveRecord &save);

