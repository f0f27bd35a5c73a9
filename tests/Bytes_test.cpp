// Byte-level reading shared by the parameter reader, the leftover search, the decoders and
// the tool's escapes: numbers of either byte order from byte strings and byte spans, and
// bytes in hexadecimal digits.
#include "util/Bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {
namespace {

constexpr std::string_view Data{"\x89PNG\x00\x00\x4E\x20\xFF\x01", 10};

TEST(Bytes, ByteOfAnswersTheUnsignedValue) {
    EXPECT_EQ(ByteOf(Data, 0), 0x89);
    EXPECT_EQ(ByteOf(Data, 8), 0xFF);
    const std::array<std::uint8_t, 2> span = {0x00, 0xFE};
    EXPECT_EQ(ByteOf(std::span<const std::uint8_t>(span), 1), 0xFE);
}

TEST(Bytes, NumbersReadInEitherByteOrder) {
    const struct {
        std::size_t At, Count;
        std::uint32_t Big, Little;
    } cases[] = {
        {4, 4, 0x00004E20u, 0x204E0000u}, // a PNG chunk length of 20000
        {6, 2, 0x4E20u, 0x204Eu},         // a JPEG segment length
        {8, 2, 0xFF01u, 0x01FFu},         // high bytes stay unsigned
        {0, 4, 0x89504E47u, 0x474E5089u}, {9, 1, 0x01u, 0x01u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.At);
        EXPECT_EQ(BigEndian(Data, c.At, c.Count), c.Big);
        EXPECT_EQ(LittleEndian(Data, c.At, c.Count), c.Little);
    }
    EXPECT_EQ(BigEndian(Data, 4), 0x00004E20u); // four bytes by default
    const std::array<std::uint8_t, 4> riffSize = {0x24, 0x08, 0x00, 0x80};
    EXPECT_EQ(LittleEndian(std::span<const std::uint8_t>(riffSize), 0), 0x80000824u);
}

TEST(Bytes, AppendHexWritesTwoDigitsInTheCaseAsked) {
    std::string out = "\\x";
    AppendHex(out, 0x1B);
    EXPECT_EQ(out, "\\x1b");
    out = "FF";
    AppendHex(out, 0xDB, true);
    EXPECT_EQ(out, "FFDB");
    out.clear();
    AppendHex(out, 0x00);
    AppendHex(out, 0xFF);
    EXPECT_EQ(out, "00ff");
}

} // namespace
} // namespace tarvo
