// The program entry's question: Cancel ends with -1 before the library is started.
#include <gtest/gtest.h>

#include "game/frame/game_entry.h"
#include "library/base/library.h"
#include "platform/testing.h"
#include "platform/user32/user32.h"

namespace {

std::string Utf8(const char8_t *s) { return reinterpret_cast<const char *>(s); }

TEST(GameEntry, CancelEndsBeforeTheLibraryStarts) {
    PlatformTestAnswerNextMessageBox(IDCANCEL);
    EXPECT_EQ(RunBrisgal(), -1);
    EXPECT_EQ(g_library.initialised, 0);
    EXPECT_EQ(g_library.windowStarted, 0);
    std::vector<PlatformTestMessageBox> boxes = PlatformTestMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, Utf8(u8"フルスクリーンモードで起動しますか？")); // the record keeps UTF-8
    EXPECT_EQ(boxes.back().caption, Utf8(u8"スクリーン設定"));
    EXPECT_EQ(boxes.back().type, (UINT)(MB_YESNOCANCEL | MB_ICONQUESTION));
}

} // namespace
