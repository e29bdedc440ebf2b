// LZBLOCK decoding: hand-built token streams for the format's corners, round trips through the
// tool encoder, and truncated or damaged blocks (exact-size buffers, so the sanitizers see any
// stray access).
#include "library/base/lz.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/lz/lz_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes MakeBlock(uint32_t decodedSize, uint8_t escape, const Bytes &tokens) {
    Bytes b;
    uint32_t stored = static_cast<uint32_t>(tokens.size() + LZBLOCK_HEAD_BYTES);
    for (int i = 0; i < 4; i++) b.push_back(static_cast<uint8_t>(decodedSize >> (8 * i)));
    for (int i = 0; i < 4; i++) b.push_back(static_cast<uint8_t>(stored >> (8 * i)));
    b.push_back(escape);
    b.insert(b.end(), tokens.begin(), tokens.end());
    return b;
}

// Decodes into a buffer of exactly the head's size; nullopt on failure.
std::optional<Bytes> Decode(const Bytes &block) {
    int32_t size = DecodeLzBlock(block.data(), block.size(), nullptr, 0);
    if (size < 0) return std::nullopt;
    Bytes out(static_cast<size_t>(size));
    // A non-null pointer even for an empty result.
    uint8_t dummy = 0;
    int32_t r = DecodeLzBlock(block.data(), block.size(), out.empty() ? &dummy : out.data(), out.size());
    if (r < 0) return std::nullopt;
    EXPECT_EQ(r, size);
    return out;
}

Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

TEST(LzBlock, HeadOnlyQueryReadsNothingPastTheHead) {
    // Exactly nine bytes: any read of a token would leave the buffer. No tokens cannot make
    // 1,234 bytes: the query refuses the head already, and decoding fails.
    Bytes block = MakeBlock(1234, 0x00, {});
    EXPECT_EQ(DecodeLzBlock(block.data(), block.size(), nullptr, 0), -1);
    Bytes out(1234);
    EXPECT_EQ(DecodeLzBlock(block.data(), block.size(), out.data(), out.size()), -1);
}

// The head's size against the most the tokens can give: a literal and then four-byte matches
// of 8,195 bytes (distance 1) are the densest block, which decodes; one byte more is refused
// by the head query, before anyone allocates for it.
TEST(LzBlock, HeadClaimsAreBoundByTheDensestTokens) {
    const uint8_t escape = 0x00;
    Bytes tokens{'a'};
    for (int i = 0; i < 3; i++) {
        // K = (31 << 3) | 4 (extension) | form 0, stored as K + 1 above the escape byte.
        tokens.insert(tokens.end(), {escape, (uint8_t)((31 << 3 | 4) + 1), 255, 0});
    }
    const uint32_t densest = 1 + 3 * 8195;
    std::optional<Bytes> out = Decode(MakeBlock(densest, escape, tokens));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->size(), densest);
    EXPECT_EQ(std::count(out->begin(), out->end(), 'a'), (long)densest);
    // The bound counts the token bytes (13 here) at 8,195 / 4 each: 26,634 is the first refused.
    const Bytes over = MakeBlock(13 * 8195 / 4 + 1, escape, tokens);
    EXPECT_EQ(DecodeLzBlock(over.data(), over.size(), nullptr, 0), -1);
    const Bytes huge = MakeBlock(1800000000u, escape, tokens);
    EXPECT_EQ(DecodeLzBlock(huge.data(), huge.size(), nullptr, 0), -1);
}

TEST(LzBlock, EmptyBlockDecodesToNothing) {
    Bytes block = MakeBlock(0, 0x7E, {});
    uint8_t dummy = 0xAA;
    EXPECT_EQ(DecodeLzBlock(block.data(), block.size(), &dummy, 0), 0);
    EXPECT_EQ(dummy, 0xAA);
}

struct TokenCase {
    const char *what;
    uint8_t escape;
    Bytes tokens;
    Bytes expected;
};

Bytes Repeat(const std::string &unit, size_t total) {
    Bytes b;
    while (b.size() < total) b.push_back(static_cast<uint8_t>(unit[b.size() % unit.size()]));
    return b;
}

TEST(LzBlock, HandBuiltTokens) {
    std::vector<TokenCase> cases = {
        {"escape 255: the code byte is the working code", 0xFF, {'A', 'B', 'C', 'D', 0xFF, 0x00, 0x03}, Text("ABCDABCD")},
        {"escape 0: every code byte is one above", 0x00, {'A', 'B', 'C', 'D', 0x00, 0x01, 0x03}, Text("ABCDABCD")},
        {"escape 0x80: codes below it are not adjusted", 0x80, {'A', 'B', 'C', 'D', 0x80, 0x08, 0x03}, Text("ABCDABCDA")},
        {"escape 0x80: codes above it are one above", 0x80, {'A', 'B', 'C', 'D', 0x80, 0x81, 0x03}, Repeat("ABCD", 24)},
        {"two escape bytes are one literal escape byte", 'A', {'A', 'A', 'B', 'A', 'A'}, Text("ABA")},
        {"distance 1 length 10 repeats the byte", 0xFF, {0x41, 0xFF, 6 << 3, 0x00}, Bytes(11, 0x41)},
        {"overlapping match repeats the last distance bytes", 0xFF, {'x', 'y', 'z', 0xFF, 5 << 3, 0x02}, Repeat("xyz", 12)},
        {"extension byte comes before the distance bytes", 0xFF, {'A', 'B', 0xFF, 0x04, 0x01, 0x01}, Repeat("AB", 38)},
        {"length 8,195", 0xFF, {'q', 0xFF, (31 << 3) | 4, 0xFF, 0x00}, Bytes(8196, 'q')},
    };
    for (const TokenCase &c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<Bytes> out = Decode(MakeBlock(static_cast<uint32_t>(c.expected.size()), c.escape, c.tokens));
        ASSERT_TRUE(out.has_value());
        EXPECT_EQ(*out, c.expected);
    }
}

TEST(LzBlock, LongDistanceForms) {
    // 70,000 literals (never the escape byte), then a 16-bit and a 24-bit distance.
    Bytes tokens, expected;
    for (int i = 0; i < 70000; i++) tokens.push_back(static_cast<uint8_t>((i * 7) % 251));
    expected = tokens;
    auto match = [&](size_t distance, size_t length, unsigned form) {
        size_t v = distance - 1;
        tokens.push_back(0xFF);
        tokens.push_back(static_cast<uint8_t>(((length - 4) << 3) | form));
        for (unsigned i = 0; i <= form; i++) tokens.push_back(static_cast<uint8_t>(v >> (8 * i)));
        for (size_t i = 0; i < length; i++) expected.push_back(expected[expected.size() - distance]);
    };
    match(300, 5, 1);
    match(70000, 6, 2);
    match(3, 4, 2);  // a long form for a short distance is accepted too
    std::optional<Bytes> out = Decode(MakeBlock(static_cast<uint32_t>(expected.size()), 0xFF, tokens));
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, expected);
}

TEST(LzBlock, MalformedBlocksAreRefused) {
    struct Bad {
        const char *what;
        uint32_t decodedSize;
        uint8_t escape;
        Bytes tokens;
    };
    const std::vector<Bad> cases = {
        {"escape byte is the last token byte", 2, 0xFF, {'A', 0xFF}},
        {"distance byte missing", 5, 0xFF, {'A', 0xFF, 0x00}},
        {"16-bit distance cut", 5, 0xFF, {'A', 0xFF, 0x01, 0x00}},
        {"extension byte missing", 40, 0xFF, {'A', 0xFF, 0x04}},
        {"distance reaches before the start", 5, 0xFF, {'A', 0xFF, 0x00, 0x01}},
        {"distance with no output yet", 4, 0xFF, {0xFF, 0x00, 0x00}},
        {"match runs past the decoded size", 4, 0xFF, {'A', 0xFF, 0x00, 0x00}},
        {"literal past the decoded size", 2, 0xFF, {'A', 'B', 'C'}},
        {"literal escape past the decoded size", 1, 'E', {'A', 'E', 'E'}},
        {"output short of the decoded size", 10, 0xFF, {'A', 'B', 'C', 'D'}},
        {"distance form 3", 9, 0xFF, {'A', 'B', 'C', 'D', 0xFF, 0x03, 0x03}},
        {"distance form 3 with escape 0", 9, 0x00, {'A', 'B', 'C', 'D', 0x00, 0x04, 0x03}},
    };
    for (const Bad &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes block = MakeBlock(c.decodedSize, c.escape, c.tokens);
        Bytes out(c.decodedSize);
        EXPECT_EQ(DecodeLzBlock(block.data(), block.size(), out.data(), out.size()), -1);
    }
}

TEST(LzBlock, BadHeadsAndBuffersAreRefused) {
    Bytes good = MakeBlock(4, 0xFF, {'a', 'b', 'c', 'd'});
    Bytes out(4);
    EXPECT_EQ(DecodeLzBlock(nullptr, 9, nullptr, 0), -1);
    EXPECT_EQ(DecodeLzBlock(good.data(), 8, nullptr, 0), -1) << "head cut";
    EXPECT_EQ(DecodeLzBlock(good.data(), good.size() - 1, nullptr, 0), -1) << "stored size beyond the block";
    EXPECT_EQ(DecodeLzBlock(good.data(), good.size(), out.data(), 3), -1) << "destination too small";
    Bytes shortStored = good;
    shortStored[4] = 8;
    EXPECT_EQ(DecodeLzBlock(shortStored.data(), shortStored.size(), nullptr, 0), -1) << "stored size below the head";
    Bytes huge = good;
    huge[3] = 0x80;
    EXPECT_EQ(DecodeLzBlock(huge.data(), huge.size(), nullptr, 0), -1) << "decoded size above 2^31 - 1";
    EXPECT_EQ(DecodeLzBlock(good.data(), good.size(), out.data(), out.size()), 4);
    EXPECT_EQ(out, Text("abcd"));
}

// Data sets for the round trips.
std::vector<std::pair<std::string, Bytes>> Samples() {
    std::mt19937 rng(20261209);
    std::vector<std::pair<std::string, Bytes>> s;
    for (size_t n : {0, 1, 3, 4, 5, 17, 1000, 100000}) {
        Bytes b(n);
        for (auto &c : b) c = static_cast<uint8_t>(rng());
        s.push_back({"random " + std::to_string(n), b});
    }
    {
        const char *words[] = {"ソフト", "表示", "archive ", "the ", "memory ", "block ", "\r\n", "0123456789"};
        Bytes b;
        while (b.size() < 200000) {
            std::string w = words[rng() % 8];
            b.insert(b.end(), w.begin(), w.end());
        }
        s.push_back({"text", b});
    }
    s.push_back({"one long run", Bytes(50000, 0x00)});
    {
        Bytes b;
        for (int i = 0; i < 300000; i++) b.push_back(static_cast<uint8_t>(i & 0xFF));
        s.push_back({"every byte value, repeating", b});
    }
    {
        // A random chunk, 100,000 bytes of other noise, the chunk again: a 24-bit distance.
        Bytes chunk(5000), b;
        for (auto &c : chunk) c = static_cast<uint8_t>(rng());
        b = chunk;
        for (int i = 0; i < 100000; i++) b.push_back(static_cast<uint8_t>(rng()));
        b.insert(b.end(), chunk.begin(), chunk.end());
        s.push_back({"far repeat", b});
    }
    {
        Bytes b;
        for (int i = 0; i < 60000; i++) b.push_back(static_cast<uint8_t>(rng() % 4 == 0 ? rng() : i % 13));
        s.push_back({"noisy pattern", b});
    }
    return s;
}

TEST(LzBlock, RoundTripsThroughTheEncoder) {
    for (const auto &[name, data] : Samples()) {
        for (int escape : {-1, 0, 255, int{'e'}}) {
            SCOPED_TRACE(name + ", escape " + std::to_string(escape));
            Bytes block = EncodeLzBlock(data.data(), data.size(), escape);
            std::optional<Bytes> out = Decode(block);
            ASSERT_TRUE(out.has_value());
            EXPECT_EQ(*out, data);
        }
    }
}

TEST(LzBlock, StructuredDataShrinks) {
    for (const auto &[name, data] : Samples()) {
        if (name.rfind("random", 0) == 0 || name == "far repeat" || name == "noisy pattern") continue;
        SCOPED_TRACE(name);
        EXPECT_LT(EncodeLzBlock(data.data(), data.size()).size(), data.size() / 2);
    }
}

TEST(LzBlock, TruncatedBlocksAreRefused) {
    Bytes data = Samples()[8].second;  // text
    Bytes block = EncodeLzBlock(data.data(), data.size());
    Bytes out(data.size());
    for (size_t keep = 0; keep < block.size(); keep += 1 + keep / 8) {
        SCOPED_TRACE(keep);
        Bytes cut(block.begin(), block.begin() + static_cast<long>(keep));
        // The block as held is shorter than its head says.
        EXPECT_EQ(DecodeLzBlock(cut.data(), cut.size(), out.data(), out.size()), -1);
        // The head rewritten to the cut length: the tokens end early or mid-token.
        if (keep >= LZBLOCK_HEAD_BYTES) {
            for (int i = 0; i < 4; i++) cut[4 + i] = static_cast<uint8_t>(keep >> (8 * i));
            EXPECT_EQ(DecodeLzBlock(cut.data(), cut.size(), out.data(), out.size()), -1);
        }
    }
}

TEST(LzBlock, DamagedBlocksNeverLeaveTheirBuffers) {
    std::mt19937 rng(7);
    const auto samples = Samples();
    int refused = 0;
    for (int round = 0; round < 400; round++) {
        const Bytes &data = samples[8 + round % (samples.size() - 8)].second;
        Bytes block = EncodeLzBlock(data.data(), std::min<size_t>(data.size(), 20000));
        for (int flips = 1 + static_cast<int>(rng() % 4); flips > 0; flips--)
            block[LZBLOCK_HEAD_BYTES + rng() % (block.size() - LZBLOCK_HEAD_BYTES)] = static_cast<uint8_t>(rng());
        if (round % 5 == 0) block[rng() % 4] = static_cast<uint8_t>(rng());  // the decoded size too
        int32_t size = DecodeLzBlock(block.data(), block.size(), nullptr, 0);
        if (size < 0 || size > (1 << 24)) continue;
        Bytes out(static_cast<size_t>(size));
        uint8_t dummy = 0;
        int32_t r = DecodeLzBlock(block.data(), block.size(), out.empty() ? &dummy : out.data(), out.size());
        EXPECT_TRUE(r == -1 || r == size);
        refused += r == -1;
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
