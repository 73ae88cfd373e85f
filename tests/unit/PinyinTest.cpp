#include "fill/Pinyin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "fill/ListFind.h"

namespace pennora {
namespace {

std::set<std::string> ReadingsOf(const std::string& gbk) {
    std::string_view out[32];
    const std::size_t count = PinyinReadings(static_cast<unsigned char>(gbk.at(0)), static_cast<unsigned char>(gbk.at(1)),
                                             out, std::size(out));
    EXPECT_LE(count, std::size(out)) << gbk;
    return {out, out + std::min(count, std::size(out))};
}

// Readings come from modern dictionaries, so a character is not found by a
// reading only old texts give it, while every reading still in use counts.
// Characters outside the common set are spelled as GBK bytes: compatibility
// ideographs take the readings of the ideograph they stand for, and the
// ideographic zero and the Hangzhou numerals that of the numeral they write.
TEST(PinyinTest, CharactersHaveTheirModernReadingsAndNoArchaicOnes) {
    const struct {
        const char* name;
        std::string character;
        std::set<std::string> has, lacks;
    } cases[] = {
        {"hao", "号", {"hao"}, {"xiao"}},
        {"ye", "也", {"ye"}, {"yi"}},
        {"xing", "姓", {"xing"}, {"sheng"}},
        {"bu", "不", {"bu"}, {"fou", "fu"}},
        {"chang/zhang", "长", {"chang", "zhang"}, {}},
        {"xing/hang", "行", {"xing", "hang"}, {}},
        {"zhong/chong", "重", {"zhong", "chong"}, {"tong"}},
        {"le/yue", "乐", {"le", "yue"}, {}},
        {"di/de", "地", {"di", "de"}, {}},
        {"lv/lu", "绿", {"lv", "lu"}, {}},
        {"traditional diao/tiao", "調", {"diao", "tiao"}, {"zhou"}},
        {"traditional chang/zhang", "長", {"chang", "zhang"}, {}},
        // Traditional forms whose customary reading is not the mainland one
        // still have the readings of their simplified form.
        {"traditional ge", "鉻", {"ge"}, {}},
        {"traditional ji", "鯽", {"ji"}, {}},
        {"traditional zhong/chong", "種", {"zhong", "chong"}, {}},
        {"traditional ya/zha/ga", "軋", {"ya", "zha", "ga"}, {}},
        {"traditional zhe", "鍺", {"zhe"}, {}},
        {"traditional hong/gong", "紅", {"hong", "gong"}, {}},
        {"er and the erhua r", "儿", {"er", "r"}, {"ren"}},
        {"ideographic zero", "\xA9\x96", {"ling"}, {"lian"}},
        {"compatibility ideograph U+F92C", "\xFD\x9C", {"lang"}, {}},
        {"compatibility ideograph U+F979", "\xFD\x9D", {"liang"}, {}},
        {"compatibility ideograph U+F995", "\xFD\x9E", {"nian"}, {}},
        {"compatibility ideograph U+FA0C", "\xFE\x40", {"wu"}, {}},
        {"Hangzhou numeral one", "\xA9\x40", {"yi"}, {}},
        {"Hangzhou numeral six", "\xA9\x45", {"liu"}, {}},
        {"Hangzhou numeral nine", "\xA9\x48", {"jiu"}, {}},
    };
    for (const auto& c : cases) {
        const auto readings = ReadingsOf(c.character);
        for (const auto& r : c.has) EXPECT_TRUE(readings.count(r)) << c.name << " lacks " << r;
        for (const auto& r : c.lacks) EXPECT_FALSE(readings.count(r)) << c.name << " has " << r;
    }
}

// The find box sees the table through whole pieces typed by the user.
TEST(PinyinTest, TheFindBoxMatchesModernReadingsOnly) {
    const struct {
        const char* text;
        const char* piece;
        bool contained;
    } cases[] = {
        {"地址", "dz", true},
        {"地址", "dizhi", true},
        {"银行行长", "yhhz", true},
        {"银行行长", "yinxingxingchang", true},
        {"重新", "cx", true},
        {"重量", "zl", true},
        {"音乐", "yy", true},
        {"快乐", "kl", true},
        {"编号", "bx", false},
        {"编号", "bianxiao", false},
        {"编号", "bh", true},
        {"姓名", "sm", false},
        {"也许", "yixu", false},
        {"也许", "yexu", true},
        {"\xA9\x96" "一", "ly", true},
        {"鉻酸", "gesuan", true},
        // An r-suffixed syllable is spelled as one: 哪儿 is "nar" as well as "naer".
        {"哪儿", "nar", true},
        {"哪儿", "naer", true},
        {"一点儿", "yidianr", true},
        {"這兒", "zher", true},
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsPiece(c.text, c.piece), c.contained) << c.text << " / " << c.piece;
}

TEST(PinyinTest, EveryHanziOfTheGb2312AreasHasAReadingAndNoOtherSymbolHasOne) {
    std::string_view out[1];
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail >= 0xFA) continue;  // the five unused slots of the hanzi areas
            EXPECT_GT(PinyinReadings(lead, trail, out, 1), 0u) << std::hex << lead << ' ' << trail;
        }
    }
    const struct {
        const char* name;
        unsigned char lead, trail;
    } none[] = {
        {"ideographic space", 0xA1, 0xA1}, {"fullwidth A", 0xA3, 0xC1},     {"hiragana a", 0xA4, 0xA2},
        {"box drawing", 0xA9, 0xA4},       {"iteration mark", 0xA1, 0xA9},  {"unused hanzi slot", 0xD7, 0xFA},
        {"user-defined area", 0xAA, 0xA1}, {"lead 0x80", 0x80, 0xA1},       {"lead 0xFF", 0xFF, 0xA1},
        {"trail 0x7F", 0xB0, 0x7F},        {"trail below 0x40", 0xB0, 0x3F}, {"trail 0xFF", 0xB0, 0xFF},
    };
    for (const auto& c : none) EXPECT_EQ(PinyinReadings(c.lead, c.trail, out, 1), 0u) << c.name;
}

// Walks every byte pair: readings are plain lower-case syllables, none twice
// for one character, and a caller's room is never written past.
TEST(PinyinTest, EveryReadingIsAToneLessSyllableAndOnlyTheRoomGivenIsWritten) {
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            std::string_view all[32];
            const std::size_t count = PinyinReadings(lead, trail, all, std::size(all));
            ASSERT_LE(count, std::size(all));
            const std::set<std::string_view> distinct(all, all + count);
            EXPECT_EQ(distinct.size(), count) << std::hex << lead << ' ' << trail;
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_TRUE(!all[i].empty() && std::all_of(all[i].begin(), all[i].end(),
                                                           [](char ch) { return ch >= 'a' && ch <= 'z'; }))
                    << std::hex << lead << ' ' << trail << ": " << all[i];
            }
            std::string_view one[2] = {{}, "untouched"};
            EXPECT_EQ(PinyinReadings(lead, trail, one, 1), count);
            if (count > 0) {
                EXPECT_EQ(one[0], all[0]);
            }
            EXPECT_EQ(one[1], "untouched");
            EXPECT_EQ(PinyinReadings(lead, trail, nullptr, 0), count);
        }
    }
}

}  // namespace
}  // namespace pennora
