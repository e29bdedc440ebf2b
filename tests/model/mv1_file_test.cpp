// The library's own model file: fixtures written from read data built in code read back to a
// base that writes the same bytes again and draws as the converted one; damaged files are
// refused with the reader's line and leave nothing behind.
#include "library/base/lz.h"
#include "library/model/model_readers.h"
#include "library/model/mv1_format.h"
#include "model/load_data_fixture.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"
#include "model/mv1_fixtures.h"
#include "tools/mv1write/mv1_writer.h"

#include <cstring>

float PackedFloatMinimum(uint8_t byte);
float PackedFloatStep(uint8_t byte);

namespace {

const uint32_t kColours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};

class MV1FileTest : public ModelScreenTest {
protected:
    std::string Log() { return PlatformTestTakeDebugOutput(); }
    static int Read(const std::vector<uint8_t> &file) {
        std::vector<uint8_t> image(file);
        image.push_back(0);
        return ReadMV1File(image.data(), (int)file.size(), "t.mv1", "t", "");
    }

    static std::vector<uint8_t> Minimal(const MV1WRITEOPTIONS &options = {}) { return MinimalMV1File(options); }
    static std::vector<uint8_t> Skinned(const MV1WRITEOPTIONS &options, bool animated = false) {
        return SkinnedMV1File(options, animated);
    }

    int BaseCount() const { return g_modelSystem.bases.used; }
};

TEST_F(MV1FileTest, FixturesWrittenReadAndWrittenAgainAreByteIdentical) {
    auto opt = [](auto set) {
        MV1WRITEOPTIONS o;
        set(o);
        return o;
    };
    const struct {
        const char *what;
        bool skinned;
        MV1WRITEOPTIONS options;
    } kCases[] = {
        {"minimal", false, {}},
        {"s8 normals, u16 UVs, shared colours", false, opt([](auto &o) { o.normals = 1, o.uvU16 = true, o.shareColours = true; })},
        {"s16 normals, u16 and u32 indices", false, opt([](auto &o) { o.normals = 2, o.meshIndexBytes = 2, o.listVertexBytes = 4, o.listIndexBytes = 2; })},
        {"no normals", false, opt([](auto &o) { o.normals = 0; })},
        {"quantised", false, opt([](auto &o) { o.quantisePositions = true; })},
        {"skinned, u8 bones and weights", true, {}},
        {"skinned, quantised, u8 bones and weights", true, opt([](auto &o) { o.quantisePositions = true; })},
        {"skinned, u16 bones and weights", true, opt([](auto &o) { o.boneU16 = true, o.weightU16 = true; })},
        {"animated with a shape, keys packed", true, opt([](auto &o) { o.quantisePositions = true, o.packKeys = true; })},
        {"animated with a shape, keys as floats", true, opt([](auto &o) { o.normals = 2; })},
    };
    Log();
    for (const auto &c : kCases) {
        const bool animated = std::string(c.what).rfind("animated", 0) == 0;
        const std::vector<uint8_t> file = c.skinned ? Skinned(c.options, animated) : Minimal(c.options);
        ASSERT_FALSE(file.empty()) << c.what;
        const int base = Read(file);
        EXPECT_NE(base, -1) << c.what << Log();
        if (base == -1) continue;
        EXPECT_EQ(WriteMV1File(base, MV1WRITEOPTIONS{}), file) << c.what;
        if (animated) {
            const MV1BASE *b = GetModelBase(base);
            EXPECT_EQ(b->shapeCount, 1) << c.what;
            EXPECT_EQ(b->animSetCount, 1) << c.what;
            EXPECT_GE(b->keySetCount, 3) << c.what;
        }
        ReleaseModelBase(base);
    }
    EXPECT_EQ(BaseCount(), 0);
}

TEST_F(MV1FileTest, AReadCubeDrawsAsTheConvertedOne) {
    const VEC3 r{0.5f, 0.7f, 0.1f}, s{40, 40, 40}, t{160.3f, 119.6f, 0};
    ReadData data;
    AddReadDataCube(data.get(), 1.0f, kColours);
    const int converted = ConvertModelLoadData(data.get(), "");
    ASSERT_NE(converted, -1);
    const std::vector<uint8_t> file = WriteMV1File(converted, MV1WRITEOPTIONS{});
    int model = Model(converted);
    PlaceModel(model, r, s, t);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> expected = Screen();
    DeleteModel(model);
    ClearDrawTarget();

    const int read = Read(file);
    ASSERT_NE(read, -1) << Log();
    const MV1BASE *a = GetModelBase(read);
    EXPECT_EQ(a->frameCount, 1);
    EXPECT_EQ(a->meshCount, 1);
    model = Model(read);
    PlaceModel(model, r, s, t);
    ASSERT_EQ(RenderModel(model), 0);
    EXPECT_EQ(Mismatches(Screen(), expected), 0);
}

TEST_F(MV1FileTest, PackedFloatHeadersDecode) {
    EXPECT_EQ(PackedFloatMinimum(0x80), 0.0f);
    EXPECT_EQ(PackedFloatMinimum(0x42), -100.0f);
    EXPECT_FLOAT_EQ(PackedFloatMinimum(0x22), 0.01f);
    EXPECT_EQ(PackedFloatStep(0x35), 5000.0f);
    EXPECT_EQ(PackedFloatStep(0x95), 0.5f);
    EXPECT_EQ(PackedFloatMinimum(0x1F), 1e31f) << "five exponent bits";
    EXPECT_EQ(QuantisedValue(-2, 4, 0), -2.0f);
    EXPECT_EQ(QuantisedValue(-2, 4, 60000), 2.0f);
    EXPECT_GT(QuantisedValue(-2, 4, 65535), 2.0f);
}

TEST_F(MV1FileTest, FilesOfAnotherKindAreRefusedWithoutALine) {
    Log();
    for (const std::vector<uint8_t> &file : {std::vector<uint8_t>{'M', 'V', '1'}, std::vector<uint8_t>{'M', 'V', '1', '0', 0, 0, 0, 0},
                                             std::vector<uint8_t>{}}) {
        EXPECT_EQ(Read(file), -1);
        EXPECT_EQ(Log(), "");
    }
}

// Every damaged file: -1 with the reader's line, or a harmless load; no slot or block left.
class MV1DamageTest : public MV1FileTest {
protected:
    void SetUp() override {
        MV1FileTest::SetUp();
        file_ = Minimal();
        ASSERT_FALSE(file_.empty());
        const int base = Read(file_);
        ASSERT_NE(base, -1);
        ReleaseModelBase(base);
        // The image back from the file, to damage and repack.
        image_.assign(file_.begin(), file_.begin() + 4);
        uint32_t decoded;
        std::memcpy(&decoded, file_.data() + 4, 4);
        image_.resize(decoded + 4);
        ASSERT_EQ(DecodeLzBlock(file_.data() + 4, file_.size() - 4, image_.data() + 4, decoded), (int32_t)decoded);
        Log();
        blocks_ = PlatformTestHeapBlockCount();
    }
    void Expect(const std::vector<uint8_t> &file, const std::string &what) {
        const int base = Read(file);
        const std::string log = Log();
        if (base == -1) {
            EXPECT_NE(log.find("MV1 LoadModel Error : "), std::string::npos) << what;
        } else {
            ReleaseModelBase(base);
        }
        EXPECT_EQ(BaseCount(), 0) << what;
        EXPECT_EQ(PlatformTestHeapBlockCount(), blocks_) << what;
    }
    void SetWord(std::vector<uint8_t> &image, size_t at, uint32_t v) { std::memcpy(image.data() + at, &v, 4); }
    uint32_t Word(size_t at) const {
        uint32_t v;
        std::memcpy(&v, image_.data() + at, 4);
        return v;
    }
    std::vector<uint8_t> file_, image_;
    int blocks_ = 0;
};

TEST_F(MV1DamageTest, EveryTruncation) {
    for (size_t n = 4; n < file_.size(); ++n) {
        Expect(std::vector<uint8_t>(file_.begin(), file_.begin() + (long)n), "cut at " + std::to_string(n));
        if (HasFailure()) break;
    }
}

TEST_F(MV1DamageTest, BrokenPackedBlocks) {
    for (int delta : {1, -1}) {
        std::vector<uint8_t> f = file_;
        uint32_t decoded;
        std::memcpy(&decoded, f.data() + 4, 4);
        SetWord(f, 4, decoded + delta);
        Expect(f, "decoded size off by " + std::to_string(delta));
    }
    std::vector<uint8_t> f = file_;
    SetWord(f, 8, 0xFFFFFFF0u);
    Expect(f, "stored size past the file");
}

TEST_F(MV1DamageTest, ByteFlipsAcrossTheBody) {
    for (size_t at = 4; at < image_.size(); ++at)
        for (uint8_t mask : {0xFF, 0x01, 0x80}) {
            std::vector<uint8_t> damaged = image_;
            damaged[at] ^= mask;
            Expect(PackMV1Image(damaged), "flip at " + std::to_string(at));
            if (HasFailure()) return;
        }
}

TEST_F(MV1DamageTest, HugeCountsAndOffsetsPastTheEnd) {
    for (size_t at = 8; at < MV1_HEADER_BYTES; at += 4)
        for (uint32_t v : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, (uint32_t)image_.size(), (uint32_t)image_.size() - 2}) {
            std::vector<uint8_t> damaged = image_;
            SetWord(damaged, at, v);
            Expect(PackMV1Image(damaged), "header " + std::to_string(at) + " = " + std::to_string(v));
            if (HasFailure()) return;
        }
}

TEST_F(MV1DamageTest, ChainsThatLoop) {
    for (int field : {MV1H_FRAMES, MV1H_MATERIALS, MV1H_TEXTURES, MV1H_MESHES, MV1H_LISTS}) {
        const uint32_t first = Word((size_t)field);
        ASSERT_NE(first, 0u) << field;
        std::vector<uint8_t> damaged = image_;
        SetWord(damaged, first + 4, first);
        Expect(PackMV1Image(damaged), "record at header " + std::to_string(field) + " names itself next");
    }
}

TEST_F(MV1DamageTest, EveryAllocationFailureLeavesNothing) {
    for (int n = 0;; ++n) {
        PlatformTestFailAllocationsAfter(n, 1);
        const int base = Read(file_);
        PlatformTestFailAllocations(0);
        Log();
        if (base != -1) {
            ReleaseModelBase(base);
            break;
        }
        EXPECT_EQ(BaseCount(), 0) << n;
        EXPECT_EQ(PlatformTestHeapBlockCount(), blocks_) << n;
        if (HasFailure() || n > 10000) break;
    }
}

}  // namespace
