#include "platform/cad/LargeMemory.h"
#include "platform/cad/dxf/DxfTags.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The one tag of "CODE\nVALUE\n" as the stream reads it; its value points into `content`.
cad::DxfTag ReadOne(const std::string& content, cad::DxfResult* error = nullptr) {
    cad::DxfTagStream stream(content);
    cad::DxfTag tag;
    bool read = stream.Next(tag);
    if (error)
        *error = stream.Error();
    EXPECT_EQ(read, !stream.Failed());
    return tag;
}

std::uint64_t Bits(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Decimals of every shape a writer produces, and some that no quick path may take: the number must be the
// very double the C library's parser makes of the text, whichever way the stream read it.
TEST(DxfTagNumbers, RealsReadToTheSameDoubleAsTheCLibrary) {
    std::vector<std::string> texts = {"0", "-0", "0.0", "1", "1.", ".5", "-.5", "+2.25", "0.1", "0.3", "2.675",
                                      "123456789012345", "1234567890123456", "12345678901234567890",
                                      "0.000000000000000000001", "0.0000000000000000000001", "1e-3", "-2.5E+10",
                                      "3.141592653589793", "9007199254740993", "1.7976931348623157e308",
                                      "4.9e-324", "-999999999999999.9"};
    std::uint64_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(seed >> 33);
    };
    for (int i = 0; i < 20000; ++i) {
        std::string text = next() % 3 == 0 ? "-" : "";
        int whole = static_cast<int>(next() % 9);
        int fraction = static_cast<int>(next() % 12);
        for (int d = 0; d < whole; ++d)
            text += static_cast<char>('0' + next() % 10);
        if (whole == 0)
            text += '0';
        if (fraction > 0) {
            text += '.';
            for (int d = 0; d < fraction; ++d)
                text += static_cast<char>('0' + next() % 10);
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        double expected = std::strtod(text.c_str(), nullptr);
        for (const char* end : {"\n", "\r\n", "  \n"}) {
            std::string content = (text.size() % 2 ? "10\n" : " 10\n") + text + end;
            cad::DxfTag tag = ReadOne(content);
            ASSERT_EQ(Bits(tag.number), Bits(expected)) << "\"" << text << "\" ending " << (end[0] == '\n' ? "LF" : end[0] == '\r' ? "CR LF" : "blanks");
            EXPECT_EQ(tag.value, text);
        }
        double parsed = 0.0;
        ASSERT_TRUE(cad::ParseReal(text, parsed)) << text;
        EXPECT_EQ(Bits(parsed), Bits(expected)) << text;
    }
}

TEST(DxfTagNumbers, IntegersTakeSignsZerosAndWholeReals) {
    struct Case {
        const char* content;
        double number;
    };
    for (const Case& c : {Case{"70\n-0\n", 0.0}, Case{"70\n+5\n", 5.0}, Case{"70\n007\n", 7.0},
                          Case{"70\n 12 \n", 12.0}, Case{"70\n1.0\n", 1.0}, Case{"90\n-2147483648\n", -2147483648.0},
                          Case{"160\n9007199254740993\n", 9007199254740992.0}}) {
        cad::DxfResult error;
        cad::DxfTag tag = ReadOne(c.content, &error);
        EXPECT_TRUE(error.Ok()) << c.content << error.detail;
        EXPECT_EQ(tag.number, c.number) << c.content;
    }
    std::int64_t value = 0;
    EXPECT_TRUE(cad::ParseInt("9223372036854775807", value));
    EXPECT_EQ(value, INT64_MAX);
    EXPECT_FALSE(cad::ParseInt("9223372036854775808", value));
    EXPECT_FALSE(cad::ParseInt("-", value));
    EXPECT_FALSE(cad::ParseInt("1.5", value));
    EXPECT_FALSE(cad::ParseInt("12a", value));
    EXPECT_FALSE(cad::ParseInt("1e20", value)); // a whole real, but no integer holds it
    EXPECT_FALSE(cad::ParseInt("-9.3e18", value));
    EXPECT_TRUE(cad::ParseInt("-4e3", value));
    EXPECT_EQ(value, -4000);
}

// Writers put codes right-aligned in three columns, or left-aligned, or with blanks and tabs about them; the
// last tag of a file may be too short for any quick look. Every layout reads to the same tags and lines.
TEST(DxfTagCodes, EveryLayoutOfACodeReadsAlike) {
    for (int code : {0, 5, 8, 10, 62, 100, 330, 999, 1001, 1071}) {
        std::string number = std::to_string(code);
        std::string value = cad::ValueKindOf(code) == cad::DxfValueKind::Real ? "2.5"
                            : cad::ValueKindOf(code) == cad::DxfValueKind::Text ? "NAME"
                                                                               : "7";
        std::string right = std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number;
        for (const std::string& layout : {right, number, right + " ", "\t" + number, " " + number + "\t"}) {
            for (const char* end : {"\n", "\r\n"}) {
                std::string content = "999\nx" + std::string(end) + layout + end + value + end + layout + end + value;
                cad::DxfTagStream stream(content);
                cad::DxfTag tag;
                ASSERT_TRUE(stream.Next(tag));
                for (int line : {3, 5}) {
                    ASSERT_TRUE(stream.Next(tag)) << "\"" << layout << "\": " << stream.Error().detail;
                    EXPECT_EQ(tag.code, code) << "\"" << layout << "\"";
                    EXPECT_EQ(tag.line, line);
                    EXPECT_EQ(tag.value, value);
                }
                EXPECT_FALSE(stream.Next(tag));
                EXPECT_FALSE(stream.Failed()) << "\"" << layout << "\": " << stream.Error().detail;
            }
        }
    }
    for (const char* bad : {" 1 0\n1\n", "  a\n1\n", " -1\n1\n", "   \n1\n"}) {
        std::string content = std::string("  0\nX\n") + bad;
        cad::DxfTagStream stream(content);
        cad::DxfTag tag;
        ASSERT_TRUE(stream.Next(tag));
        EXPECT_FALSE(stream.Next(tag)) << bad;
        EXPECT_EQ(stream.Error().status, cad::DxfStatus::BadGroupCode) << bad;
        EXPECT_EQ(stream.Error().line, 3) << bad;
    }
}

TEST(DxfTagCodes, TheLongestCodeIsReadAndLongerOnesRefusedWithTheLine) {
    cad::DxfResult error;
    cad::DxfTag tag = ReadOne("1071\n42\n", &error);
    EXPECT_TRUE(error.Ok());
    EXPECT_EQ(tag.code, 1071);
    EXPECT_EQ(tag.number, 42.0);

    ReadOne("1072\n42\n", &error);
    EXPECT_EQ(error.status, cad::DxfStatus::BadGroupCode);
    EXPECT_EQ(error.detail, "expected a group code, found \"1072\"");
    ReadOne("10000\n42\n", &error);
    EXPECT_EQ(error.detail, "expected a group code, found \"10000\"");

    // The last value of a file may lack its line end.
    cad::DxfTagStream stream("0\nSECTION\n10\n-1.5");
    cad::DxfTag first;
    cad::DxfTag last;
    ASSERT_TRUE(stream.Next(first));
    ASSERT_TRUE(stream.Next(last));
    EXPECT_EQ(last.number, -1.5);
    EXPECT_EQ(last.line, 3);
    EXPECT_FALSE(stream.Next(last));
    EXPECT_FALSE(stream.Failed());
}

TEST(LargeMemory, BuffersKeepTheirBytesAsTheyGrowAndArenasAlign) {
    cad::ByteBuffer buffer;
    ASSERT_TRUE(buffer.Reserve(10));
    std::memcpy(buffer.Data(), "0123456789", 10);
    buffer.SetSize(10);
    ASSERT_TRUE(buffer.Reserve(std::size_t{5} << 20)); // from the heap to huge pages
    EXPECT_EQ(std::string(buffer.Data(), buffer.Size()), "0123456789");
    EXPECT_GE(buffer.Capacity(), std::size_t{5} << 20);
    buffer.Data()[buffer.Capacity() - 1] = 'x'; // all of it is there to write
    cad::ByteBuffer moved = std::move(buffer);
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(moved.Size(), 10u);

    cad::Arena arena;
    std::vector<char*> pieces;
    for (int i = 0; i < 200000; ++i) {
        std::size_t alignment = i % 2 ? 8 : 16;
        auto* piece = static_cast<char*>(arena.Allocate(40 + static_cast<std::size_t>(i % 7), alignment));
        ASSERT_NE(piece, nullptr);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignment, 0u);
        std::memset(piece, i & 0x7f, 40);
        pieces.push_back(piece);
    }
    for (int i = 0; i < 200000; i += 997)
        EXPECT_EQ(pieces[static_cast<std::size_t>(i)][39], static_cast<char>(i & 0x7f));
    // Bigger than any block the arena would make.
    EXPECT_NE(arena.Allocate(std::size_t{20} << 20, 64), nullptr);
}

} // namespace
