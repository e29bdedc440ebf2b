// The sound lists: load order and paths, volumes, and the single current music track.
#include "game/frame/sound_lists.h"
#include "sound/sound_fixture.h"

namespace {

class SoundListsTest : public SoundTest {
public:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(InitializeSoundSystem(), 0);
        GetSoundLists() = SoundLists{};
    }
    void TearDown() override {
        GetSoundLists() = SoundLists{};
        SoundTest::TearDown();
    }
    void Put(const std::string &windowsPath) {
        std::string p = windowsPath;
        for (char &c : p)
            if (c == '\\') c = '/';
        std::filesystem::create_directories((dir_ / p).parent_path());
        WriteFile(p, fixtures::PcmWave(fixtures::Tone(2000, 1, 22050), 1, 22050));
    }
};

TEST_F(SoundListsTest, MissingFilesLeaveMinusOneAndSwitchingKeepsOneTrack) {
    Put("DataForWork\\sound\\ukase051.wav");
    Put("DataForWork\\sound\\ukase099.wav");
    Put("DataForWork\\music\\51.ogg"); // a WAVE under an .ogg name: the reader goes by content
    Put("DataForWork\\music\\9.wav");
    SoundLists &s = GetSoundLists();
    s.LoadSoundLists();
    EXPECT_EQ(s.currentTrack, 0);
    EXPECT_EQ(s.effects[0], -1);
    ASSERT_NE(s.effects[51], -1);
    ASSERT_NE(s.tracks[6], -1);
    ASSERT_NE(s.tracks[10], -1);
    EXPECT_EQ(s.tracks[7], -1);
    EXPECT_TRUE(LogHas("DataForWork\\sound\\ukase000.wav"));

    EXPECT_EQ(SwitchMusicTrack(6), 0);
    EXPECT_EQ(IsSoundHandlePlaying(s.tracks[6]), 1);
    EXPECT_EQ(SwitchMusicTrack(6), -1); // not restarted
    EXPECT_EQ(SwitchMusicTrack(10), 0);
    EXPECT_EQ(IsSoundHandlePlaying(s.tracks[6]), 0);
    EXPECT_EQ(IsSoundHandlePlaying(s.tracks[10]), 1);
    EXPECT_EQ(SwitchMusicTrack(-1), 0);
    EXPECT_EQ(IsSoundHandlePlaying(s.tracks[10]), 0);
    EXPECT_EQ(s.currentTrack, -1);
    EXPECT_EQ(SwitchMusicTrack(-1), -1);
    EXPECT_EQ(SwitchMusicTrack(14), -1);
    PlayEffectSound(51);
    EXPECT_EQ(IsSoundHandlePlaying(s.effects[51]), 1);
    PlayEffectSound(102); // out of the list: nothing
    PlayEffectSound(-1);
}

LONG Hundredths(int handle) {
    LONG v = 1;
    GetSoundRec(handle)->buffers[0].buffer->GetVolume(&v);
    return v;
}

TEST_F(SoundListsTest, VolumesByTheList) {
    struct Case {
        const char *file;
        bool music;
        int n;
        LONG hundredths; // of the volume the list gives (0 = as loaded)
    } cases[] = {
        {"DataForWork\\sound\\ukase000.wav", false, 0, -929},   // 30
        {"DataForWork\\sound\\ukase051.wav", false, 51, -1452}, // 30, then 9
        {"DataForWork\\sound\\ukase072.wav", false, 72, -1105}, // 20
        {"DataForWork\\sound\\ukase073.wav", false, 73, -105},  // 200
        {"DataForWork\\sound\\ukase098.wav", false, 98, -929},
        {"DataForWork\\sound\\ukase099.wav", false, 99, 0},     // keeps its load volume
        {"DataForWork\\sound\\ukase101.wav", false, 101, -105},
        {"DataForWork\\music\\0.ogg", true, 0, -804},           // 40
        {"DataForWork\\music\\10.ogg", true, 11, -804},
        {"DataForWork\\music\\12.ogg", true, 12, 0},
        {"DataForWork\\music\\13.ogg", true, 13, 0},
    };
    for (const Case &c : cases) Put(c.file);
    SoundLists &s = GetSoundLists();
    s.LoadSoundLists();
    for (const Case &c : cases) {
        int h = c.music ? s.tracks[c.n] : s.effects[c.n];
        ASSERT_NE(h, -1) << c.file;
        EXPECT_EQ(Hundredths(h), c.hundredths) << c.file;
    }
}

} // namespace
