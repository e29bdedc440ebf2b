// The library's own model file: fixtures written from read data built in code read back to a
// base that writes the same bytes again and draws as the converted one.
#include "library/model/model_readers.h"
#include "model/load_data_fixture.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"
#include "tools/mv1write/mv1_writer.h"

namespace {

const uint32_t kColours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};

class MV1FileTest : public ModelScreenTest {
protected:
    std::string Log() { return PlatformTestTakeDebugOutput(); }
    int Read(const std::vector<uint8_t> &file) {
        std::vector<uint8_t> image(file);
        image.push_back(0);
        return ReadMV1File(image.data(), (int)file.size(), "t.mv1", "t", "");
    }
};

TEST_F(MV1FileTest, ACubeWrittenReadAndWrittenAgainIsByteIdentical) {
    ReadData data;
    AddReadDataCube(data.get(), 1.0f, kColours);
    const std::vector<uint8_t> file = WriteMV1FromReadData(data.get(), "", MV1WRITEOPTIONS{});
    ASSERT_FALSE(file.empty());
    const int base = Read(file);
    ASSERT_NE(base, -1) << Log();
    EXPECT_EQ(WriteMV1File(base, MV1WRITEOPTIONS{}), file);
}

}  // namespace
