#include "text/euckr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

using namespace std::string_literals;

const uint16 kUnwritten = 0xAAAA; // fills dst before a conversion
const int32 kEmpty = -1;

// Converts a copy of the bytes and their terminator held in an exactly sized
// heap block, so the sanitizer build catches any read past it. dst holds
// strlen + 1 units and one guard unit after them; the guard must survive.
// Returns the strlen + 1 units, kUnwritten where nothing was written.
std::vector<uint16> ConvertAll(const std::string& bytes)
{
    std::unique_ptr<char[]> src(new char[bytes.size() + 1]);
    std::memcpy(src.get(), bytes.c_str(), bytes.size() + 1);
    const size_t room = std::strlen(src.get()) + 1;
    std::vector<uint16> dst(room + 1, kUnwritten);
    EucKrToUcs2(src.get(), dst.data());
    EXPECT_EQ(kUnwritten, dst[room]) << "wrote past strlen + 1 units";
    dst.pop_back();
    return dst;
}

// The unit of one byte pair, which must be followed by the terminator.
uint16 PairUnit(int lead, int trail)
{
    std::vector<uint16> units = ConvertAll({char(lead), char(trail)});
    EXPECT_EQ(0, units[1]) << std::hex << lead << " " << trail;
    return units[0];
}

TEST(Ksc5601Table, CoversRowsA1ToFD)
{
    EXPECT_EQ(8742, ksc5601TableSize); // 93 rows of 94
}

TEST(Ksc5601Table, SampleCells)
{
    EXPECT_EQ(0x3000, ksc5601ToUnicode[0]);    // 0xA1A1 ideographic space
    EXPECT_EQ(0xAC00, ksc5601ToUnicode[1410]); // 0xB0A1 first Hangul syllable
    EXPECT_EQ(0x8A70, ksc5601ToUnicode[8741]); // 0xFDFE last Hanja
    EXPECT_EQ(0x3164, ksc5601ToUnicode[333]);  // 0xA4D4 Hangul filler, a cell like any other
    EXPECT_EQ(kEmpty, ksc5601ToUnicode[163]);  // 0xA2E6 euro sign, 1998 edition only
    EXPECT_EQ(kEmpty, ksc5601ToUnicode[164]);  // 0xA2E7 registered sign, 1998 edition only
    EXPECT_EQ(kEmpty, ksc5601ToUnicode[165]);  // 0xA2E8, 2002 edition only
    EXPECT_EQ(kEmpty, ksc5601ToUnicode[1314]); // 0xAEFD
}

TEST(Ksc5601Table, EveryCodePointOnceAndInTheBmp)
{
    std::set<int32> seen;
    for (int32 i = 0; i < ksc5601TableSize; ++i)
    {
        const int32 code = ksc5601ToUnicode[i];
        if (code == kEmpty)
            continue;
        EXPECT_TRUE(code > 0 && code <= 0xFFFF) << "entry " << i << " holds " << code;
        EXPECT_TRUE(seen.insert(code).second) << "U+" << std::hex << code << " twice";
    }
}

// Each row: the bytes (up to their last 0), the units before the first 0
// written, and how many units of the strlen + 1 are left unwritten at the
// end. A pair gives one unit, so every pair leaves one unwritten; an
// unmapped cell gives a 0 that ends the rendered text, and the conversion
// goes on past it.
TEST(EucKrToUcs2, ConvertsBytesToTheirUnits)
{
    std::string ascii;
    for (int c = 0x01; c <= 0x7F; ++c)
        ascii += static_cast<char>(c);
    const struct
    {
        const char* name;
        std::string bytes;
        std::u16string units;
        size_t unwritten;
    } rows[] = {
        {"ASCII passes through unchanged", "v0.95", u"v0.95", 0},
        {"every ASCII byte passes through unchanged", ascii, {ascii.begin(), ascii.end()}, 0},
        {"the empty string gives only the terminator", "", u"", 0},
        {"double-byte sample: the first Hangul syllable", "\xB0\xA1", u"\uAC00", 1},
        {"double-byte sample: the ideographic space", "\xA1\xA1", u"\u3000", 1},
        {"double-byte sample: the last Hanja", "\xFD\xFE", u"\u8A70", 1},
        {"double-byte sample: a filler run, each pair on its own, not composed",
         "\xA4\xD4\xA4\xA1\xA4\xBF\xA4\xD4", u"\u3164\u3131\u314F\u3164", 4},
        {"Korean sentence: mode choice",
         "TV \xC3\xE2\xB7\xC2 \xB9\xE6\xBD\xC4\xC0\xBB "
         "\xBC\xB1\xC5\xC3\xC7\xCF\xBC\xBC\xBF\xE4: NTSC \xB6\xC7\xB4\xC2 PAL.",
         u"TV 출력 방식을 선택하세요: NTSC 또는 PAL.", 12},
        {"Korean sentence: Hanja and symbols",
         "\xA1\xB8\xD3\xDE\xF9\xDB\xDA\xC5\xCF\xD0\xA1\xB9\xC0\xC7 "
         "\xBC\xF6\xB5\xB5\xB4\xC2 \xBC\xAD\xBF\xEF\xC0\xD4\xB4\xCF\xB4\xD9. "
         "\xA1\xD8 \xC8\xAD\xB8\xE9 \xC0\xA7\xC4\xA1 \xC1\xB6\xC1\xA4",
         u"「大韓民國」의 수도는 서울입니다. ※ 화면 위치 조정", 22},
        {"an unmapped cell ends the rendered text", "ab\xA2\xE6"s + "cd", u"ab\0cd"s, 1},
        {"a trailing lone lead byte yields no unit", "A\xB0\xA1\xB0", u"A\uAC00", 2},
        {"stops at the terminator after a lead byte", "A\xB0\0\xA1\xA1"s + "B", u"A", 1},
        {"any trail byte is consumed with its lead: 0x80", "\x80"s + "AB", u"\0B"s, 1},
        {"any trail byte is consumed with its lead: 0xB0", "\xB0"s + "AB", u"\0B"s, 1},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        std::vector<uint16> whole(row.units.begin(), row.units.end());
        whole.push_back(0);
        whole.resize(whole.size() + row.unwritten, kUnwritten);
        EXPECT_EQ(whole, ConvertAll(row.bytes));
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        EXPECT_EQ((std::vector<uint16>{0, kUnwritten}), ConvertAll(std::string(1, char(lead))))
            << "a lone lead byte " << std::hex << lead;
}

// Only the combined index is bounded: a pair reads the cell
// (lead - 0xA1) * 94 + (trail - 0xA1), a trail byte out of its range
// included, and then the cell lies in a neighbouring row.
TEST(EucKrToUcs2Index, EachPairReadsTheCellOfItsCombinedIndex)
{
    const struct
    {
        int lead, trail;
        uint16 unit;
        const char* what;
    } rows[] = {
        {0xA1, 0xA1, 0x3000, "the first cell"},
        {0xB0, 0xFE, 0xAD06, "the last cell of row 0xB0"},
        {0xB1, 0xA1, 0xAD0C, "the first cell of row 0xB1"},
        {0xFD, 0xFE, 0x8A70, "the last cell"},
        {0xA2, 0xE6, 0, "an empty cell"},
        {0xB1, 0xA0, 0xAD06, "one cell back: 0xB0FE"},
        {0xB1, 0x43, 0xAC00, "a whole row back: 0xB0A1"},
        {0xB2, 0x42, 0xAD06, "into the row before that: 0xB0FE"},
        {0xB2, 0x41, 0xAD04, "0xB0FD"},
        {0xB0, 0x41, 0, "entry 1314, the empty cell 0xAEFD"},
        {0xFE, 0xA0, 0x8A70, "0xFDFE"},
        {0xB0, 0xFF, 0xAD0C, "the next row: 0xB1A1"},
        {0xFD, 0xFF, 0, "one past the last entry"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.unit, PairUnit(row.lead, row.trail));
    }
}

TEST(EucKrToUcs2Index, LeadBelowA1GivesZeroExceptA0FF)
{
    for (int lead = 0x80; lead <= 0xA0; ++lead)
        for (int trail = 0x01; trail <= 0xFF; ++trail)
        {
            const uint16 expected = lead == 0xA0 && trail == 0xFF ? 0x3000 : 0;
            ASSERT_EQ(expected, PairUnit(lead, trail)) << std::hex << lead << " " << trail;
        }
}

TEST(EucKrToUcs2Index, LeadFEAndFFGiveZero)
{
    for (int lead : {0xFE, 0xFF})
        for (int trail = 0xA1; trail <= 0xFF; ++trail)
            EXPECT_EQ(0, PairUnit(lead, trail)) << std::hex << lead << " " << trail;
    // Small enough trail bytes still land in the table's last row.
    EXPECT_EQ(0x8A70, PairUnit(0xFF, 0x42));
    EXPECT_EQ(0, PairUnit(0xFF, 0x43));
}

TEST(EucKrToUcs2Room, EveryPairAndLoneByteFitsItsRoom)
{
    for (int first = 0x01; first <= 0xFF; ++first)
    {
        ConvertAll(std::string(1, static_cast<char>(first)));
        for (int second = 0x01; second <= 0xFF; ++second)
        {
            const std::string bytes = {static_cast<char>(first), static_cast<char>(second)};
            ConvertAll(bytes);
            ConvertAll(bytes + 'x');
        }
    }
}

TEST(EucKrToUcs2Room, RandomStringsFitTheirRoom)
{
    uint32 state = 12345;
    for (int round = 0; round < 2000; ++round)
    {
        std::string bytes;
        const int length = round % 41;
        for (int i = 0; i < length; ++i)
        {
            state = state * 1103515245u + 12345u;
            const int byte = static_cast<int>(state >> 16 & 0xFF);
            bytes += static_cast<char>(byte == 0 ? 0xB0 : byte);
        }
        std::vector<uint16> units = ConvertAll(bytes);
        ASSERT_TRUE(std::find(units.begin(), units.end(), 0) != units.end()) << "round " << round;
    }
}

} // namespace
