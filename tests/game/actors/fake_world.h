// A fake world in the actors' seam (WorldServices()): it records what the actors ask of the
// world (sounds, music, effects, pop-ups, overlay texts, notifications, field objects made),
// holds the item rows and the identified counts, scripts the buttons frame by frame and keeps
// fake physics bodies by id. Constructing one installs it; destroying it puts the game's table
// back.
#pragma once

#include <array>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "game/world/world_services.h"

struct RecordedEffect {
    float x, y;
    int kind;
    bool operator==(const RecordedEffect &o) const { return x == o.x && y == o.y && kind == o.kind; }
};

inline std::ostream &operator<<(std::ostream &os, const RecordedEffect &e)
{
    return os << "kind " << e.kind << " at (" << e.x << ", " << e.y << ")";
}

struct RecordedText {
    int x, y;
    std::string text; // empty for a number
    int number;
    bool operator==(const RecordedText &o) const {
        return x == o.x && y == o.y && text == o.text && number == o.number;
    }
};

inline std::ostream &operator<<(std::ostream &os, const RecordedText &t)
{
    return os << "\"" << t.text << "\" " << t.number << " at (" << t.x << ", " << t.y << ")";
}

struct RecordedObject {
    float x, y;
    int kind, value;
    float vx, vy;
    int persistent, itemFlag, lifetime;
    float angle;
};

// Bodies by id: positions (physics units), velocities and contact answers that the test sets.
struct FakeBody {
    float x = 0, y = 0, angle = 0;
    float vx = 0, vy = 0;
    int contact = -1, playerContact = -1;
    int velocitySets = 0;
};

class FakeWorld {
public:
    FakeWorld();
    ~FakeWorld();
    FakeWorld(const FakeWorld &) = delete;
    FakeWorld &operator=(const FakeWorld &) = delete;

    // ---- buttons: held buttons count up frame by frame, as the game's input step does ----
    void Hold(int button) { held_[button] = true; }
    void Release(int button) { held_[button] = false; }
    void ReleaseAll() { held_.fill(false); }
    // The start of a frame: each held button's count + 1, each released one 0.
    void NextFrame();
    int Count(int button) const { return counts_[button]; }

    // ---- item rows ----
    ItemKind &Item(int id) { return items_[id]; }
    std::map<int, int> identified; // item -> identified count

    // ---- what was asked ----
    std::vector<int> sounds;
    std::vector<int> music;
    std::vector<RecordedEffect> effects;
    std::vector<RecordedEffect> popups; // kind holds the number
    std::vector<RecordedText> texts;
    std::vector<std::string> notifications;
    std::vector<std::string> messages; // shown in the message box
    std::vector<RecordedObject> objects;
    int nextObjectBody = 100; // body id the next field object gets; -1 refuses objects
    std::map<int, FakeBody> bodies;
    // Combat: objects a body touches (kind -> where, taken once), any object touching, the bodies
    // made dynamic, money, the bag's answer and what went into it, the MP asked for and the
    // answer, item drops and static cell bodies destroyed.
    std::map<int, std::pair<float, float>> touching;
    bool touchingObject = false;
    int dynamicCalls = 0;
    int money = 0;
    int carriedAnswer = -1;
    std::vector<int> carried;
    std::vector<int> removedSlots; // carried slots removed (the real removal runs on the bag given)
    int mpAnswer = -1;
    std::vector<int> mpAsked;
    int drops = 0;
    std::vector<std::pair<int, int>> cellBodies;
    void ClearRecords();

    static FakeWorld *Current() { return current_; }

private:
    static FakeWorld *current_;
    std::array<bool, BUTTON_COUNT> held_{};
    std::array<int, BUTTON_COUNT> counts_{};
    std::map<int, ItemKind> items_;
    friend struct FakeWorldCalls;
};
