// LoadModel: how a path splits into name and folder, files no reader takes, the readers' order,
// and failures that leave neither a model slot nor a base behind.
#include "library/base/path.h"
#include "library/base/stream.h"
#include "library/model/model_readers.h"
#include "model/model_fixture.h"

#include <cstring>

namespace {

class LoadTest : public ModelTablesTest {
protected:
    void SetUp() override {
        ModelTablesTest::SetUp();
        std::memcpy(saved_, g_modelReaders, sizeof saved_);
        calls_.clear();
    }
    void TearDown() override {
        std::memcpy(g_modelReaders, saved_, sizeof saved_);
        ModelTablesTest::TearDown();
    }

    // Readers that note their turn and what they were given; `accept` (-1 none) makes a base.
    static int accept_;
    static std::vector<int> calls_;
    static std::vector<std::string> args_;
    template <int N>
    static int Reader(const void *image, int size, const char *path, const char *name, const char *folder) {
        calls_.push_back(N);
        args_ = {std::string(static_cast<const char *>(image), (size_t)size), path, name, folder,
                 std::to_string(static_cast<const uint8_t *>(image)[size])};
        return N == accept_ ? BuildCubeBase() : -1;
    }
    void UseRecordingReaders(int accept) {
        accept_ = accept;
        g_modelReaders[0] = Reader<0>;
        g_modelReaders[1] = Reader<1>;
        g_modelReaders[2] = Reader<2>;
        g_modelReaders[3] = Reader<3>;
    }

    MODELREADERFUNC saved_[MODEL_READER_COUNT];
};
int LoadTest::accept_ = -1;
std::vector<int> LoadTest::calls_;
std::vector<std::string> LoadTest::args_;

std::string FullOf(const char *path) {
    char out[PATH_BUFFER_SIZE];
    BuildFullPath(path, out, nullptr);
    return out;
}

TEST_F(LoadTest, PathsSplitAtTheLastSeparatorAndKeepADrivePrefix) {
    char cwd[PATH_BUFFER_SIZE];
    GetDataFileDir(cwd);
    struct Case {
        const char *path, *name, *stem;
        std::string folder;
    } cases[] = {
        {"data.v2\\sub\\hero.x.mv1", "hero.x.mv1", "hero", FullOf("data.v2\\sub")},
        {"C:\\x.mv1", "x.mv1", "x", FullOf("C:\\")},
        {"C:x.mv1", "x.mv1", "x", FullOf("C:")},
        {"a/b\\c.d.e", "c.d.e", "c", FullOf("a/b")},
        {"plain.mv1", "plain.mv1", "plain", cwd},
        // A second byte 0x5C inside a Shift-JIS name is no separator.
        {"モデル\\表.mv1", "表.mv1", "表", FullOf("モデル")},
    };
    for (const Case &c : cases) {
        char name[PATH_BUFFER_SIZE], stem[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE];
        ASSERT_EQ(SplitModelPath(c.path, name, stem, folder), 0) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
        EXPECT_STREQ(stem, c.stem) << c.path;
        EXPECT_EQ(folder, c.folder) << c.path;
    }
}

TEST_F(LoadTest, ReadersAreAskedInTurnWithTheImageAndItsNames) {
    WriteFile("hero.model.bin", {'a', 'b', 'c'});
    UseRecordingReaders(2);
    const int model = LoadModel("hero.model.bin");
    ASSERT_NE(model, -1);
    EXPECT_EQ(calls_, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(args_[0], "abc");
    EXPECT_EQ(args_[1], "hero.model.bin");
    EXPECT_EQ(args_[2], "hero");
    EXPECT_EQ(args_[4], "0") << "a 0 byte follows the image";
    MV1INSTANCE *m = GetModelInstance(model);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->base->refCount, 1);
    EXPECT_EQ(DeleteModel(model), 0);
    EXPECT_EQ(g_modelSystem.bases.used, 0) << "the base went with its only model";
}

TEST_F(LoadTest, FilesNoReaderTakesFailQuietly) {
    UseRecordingReaders(-1);
    WriteFile("empty.mv1", {});
    WriteFile("other.dat", {'h', 'e', 'l', 'l', 'o'});
    Log();
    for (const char *name : {"empty.mv1", "other.dat"}) {
        calls_.clear();
        EXPECT_EQ(LoadModel(name), -1) << name;
        EXPECT_EQ(calls_.size(), 4u) << name;
        EXPECT_EQ(Log(), "") << "only readers log their errors";
    }
    EXPECT_EQ(args_[0], "hello");
    // The built-in defaults refuse everything without a word.
    std::memcpy(g_modelReaders, saved_, sizeof saved_);
    EXPECT_EQ(LoadModel("other.dat"), -1);
    EXPECT_EQ(LoadModel("missing.mv1"), -1);
    EXPECT_NE(Log().find("モデルファイル missing.mv1 が読み込めませんでした"), std::string::npos);
    EXPECT_EQ(g_modelSystem.bases.used + g_modelSystem.models.used, 0);
}

TEST_F(LoadTest, FailuresAfterTheReaderLeaveNoSlotBehind) {
    WriteFile("hero.mv1", {'x'});
    UseRecordingReaders(0);
    // A model table that cannot grow: the model slot is refused.
    for (int i = 0; i < 0x10000; ++i) ASSERT_NE(AddModelSlot(), -1);
    Log();
    EXPECT_EQ(LoadModel("hero.mv1"), -1);
    EXPECT_NE(Log().find("モデルファイル hero.mv1 のモデルハンドルの作成に失敗しました"), std::string::npos);
    EXPECT_EQ(g_modelSystem.bases.used, 0);
    for (int i = 0; i < 0x10000; ++i) DeleteModel(i | 0x10000000);
    // A base a model cannot be made from (a skin reference outside its bones).
    g_modelReaders[0] = [](const void *, int, const char *, const char *, const char *) {
        const int base = BuildCubeBase();
        MV1BASE *b = BuiltBase(base);
        static MV1SKINBONE stray{};
        static MV1SKINBONE *refs[1] = {&stray};
        b->frames[0].skinRefs = refs;
        b->frames[0].skinRefCount = 1;
        return base;
    };
    EXPECT_EQ(LoadModel("hero.mv1"), -1);
    EXPECT_NE(Log().find("モデルファイル hero.mv1 のモデル基本データからモデルデータへの変換に失敗しました"),
              std::string::npos);
    EXPECT_EQ(g_modelSystem.bases.used, 0);
    EXPECT_EQ(g_modelSystem.models.used, 0);
    // And with the system not set up, nothing is even opened.
    g_modelSystem.started = 0;
    EXPECT_EQ(LoadModel("hero.mv1"), -1);
    g_modelSystem.started = 1;
}

}  // namespace
