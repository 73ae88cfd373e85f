#include "matrix/MatrixMaker.h"

#include <gtest/gtest.h>

#include "fakes/FakeTextSurface.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

using fakes::CallLog;
using fakes::FakeTextSurface;
using fakes::kInk;

constexpr const char* kIdeographicSpace = "\xA1\xA1";

std::string Repeat(const std::string& cell, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += cell;
    return out;
}

// The first run on a fresh surface: the white picture is made once, then
// the four spaces and the word are drawn at the origin in the face at 16 px.
const CallLog kFirstRunOfShuiHuan = {
    "CreateCompatibleBitmap(31, 16)",
    "CreateFontA(-16, \"\\xCB\\xCE\\xCC\\xE5\")",  // 宋体
    "TextOutA(0, 0, \"    \")",
    "TextOutA(0, 0, \"\\xB9\\xE0\\xCB\\xAE\")",  // 灌水
};
// A later run draws over the same picture.
const CallLog kLaterRunOfShuiHuan = {kFirstRunOfShuiHuan.begin() + 1, kFirstRunOfShuiHuan.end()};

TEST(MatrixCell, IsTwoBytesOfTheTextPaddedWithSpacesNeverHalfACharacter) {
    const struct {
        std::string text, cell;
    } cases[] = {
        {"", "  "},       {"a", "a "},          {"abc", "ab"},
        {"灌", "灌"},     {"灌水", "灌"},       {kIdeographicSpace, kIdeographicSpace},
        {"a灌", "a "},    // the second byte would be a lone lead byte
        {"\x81", "  "},   // a lead byte with no trail byte
        {"\x81\x20x", "  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fakes::Quoted(c.text));
        EXPECT_EQ(MatrixCell(c.text), c.cell);
    }
}

TEST(MatrixText, FrontIsTrimmedOfControlBytesAndSpacesOnlyAndFieldsCutAtCharacters) {
    EXPECT_EQ(TrimFront(" 灌水 "), "灌水");
    EXPECT_EQ(TrimFront("\t\r\n\x01灌水\x1F\x20"), "灌水");
    EXPECT_EQ(TrimFront("\xA1\xA1水\xA1\xA1"), "\xA1\xA1水\xA1\xA1");
    EXPECT_EQ(TrimFront("   "), "");

    EXPECT_EQ(CutToWidth("水水水", 4), "水水");
    EXPECT_EQ(CutToWidth("a水", 2), "a");
    EXPECT_EQ(CutToWidth("abcde", 4), "abcd");
    EXPECT_EQ(CutToWidth("灌", 2), "灌");

    EXPECT_EQ(MemoText({"ab", "cd"}), "ab\r\ncd\r\n");
}

// On a blank picture every pixel is white, so a row is back cells up to the
// picture's edge and fill cells past it.
TEST(MatrixMaker, ColumnsAndCellsFollowTheLengthOfTheWordAndTheTwoCellTexts) {
    const struct {
        std::string front, fill, back;
        int columns;  // N + 1
        std::string fillCell, backCell;
    } cases[] = {
        {"", "灌", kIdeographicSpace, 1, "灌", kIdeographicSpace},
        {"A", "a", "", 9, "a ", "  "},
        {"水", "abc", "b", 16, "ab", "b "},
        {"abc", "灌", kIdeographicSpace, 23, "灌", kIdeographicSpace},  // 22.5 goes to the even 22
        {"灌水", "灌", kIdeographicSpace, 31, "灌", kIdeographicSpace},
        {"abcde", "a", "", 39, "a ", "  "},  // 37.5 goes to 38; columns 31-38 lie past the picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fakes::Quoted(c.front));
        FakeTextSurface surface;
        MatrixMaker maker(surface);
        const auto lines = maker.Make("Arial", c.front, c.fill, c.back);

        const int inside = std::min(c.columns, kMatrixWidth);
        const std::string row = Repeat(c.backCell, inside) + Repeat(c.fillCell, c.columns - inside);
        EXPECT_EQ(lines, std::vector<std::string>(16, row));
        EXPECT_EQ(surface.pixelReads, 16 * inside) << "no pixel outside the picture is read";
    }
    EXPECT_EQ(MatrixColumns(4), 30);
}

TEST(MatrixMaker, OnlyExactWhiteIsBackgroundGreyAndNearWhiteAreInk) {
    FakeTextSurface surface;
    surface.glyphs["水"] = {{{1, 2}, kInk}, {{3, 2}, 0x808080}, {{5, 2}, 0xFEFFFF}, {{7, 2}, kWhite}};
    MatrixMaker maker(surface);
    const auto lines = maker.Make("Arial", "水", "#", ".");

    EXPECT_EQ(lines[2], ". # . # . # . . . . . . . . . . ");
    EXPECT_EQ(lines[3], Repeat(". ", 16));
}

TEST(MatrixMaker, RunsTwiceWithTheSameLinesMakingThePictureOnce) {
    FakeTextSurface surface;
    surface.glyphs["灌水"] = {{{0, 0}, kInk}, {{16, 8}, kInk}, {{30, 15}, kInk}};
    MatrixMaker maker(surface);
    EXPECT_FALSE(maker.HasPicture());

    const auto first = maker.Make("宋体", "灌水", "灌", kIdeographicSpace);
    EXPECT_EQ(surface.calls, kFirstRunOfShuiHuan);
    EXPECT_TRUE(maker.HasPicture());
    EXPECT_EQ(first[0].substr(0, 4), std::string("灌") + kIdeographicSpace);

    surface.calls.clear();
    const auto second = maker.Make("宋体", "灌水", "灌", kIdeographicSpace);
    EXPECT_EQ(surface.calls, kLaterRunOfShuiHuan);
    EXPECT_EQ(second, first);
}

TEST(MatrixMaker, AShorterWordKeepsWhatEarlierRunsLeftOutsideItsBoxes) {
    FakeTextSurface surface;
    surface.spaceAdvance = 2;  // the four spaces whiten columns 0-7
    surface.glyphs["灌水"] = {{{3, 4}, kInk}, {{8, 4}, kInk}};
    MatrixMaker maker(surface);
    maker.Make("Arial", "灌水", "#", ".");

    // "A" whitens columns 0-7 again and is scanned over columns 0-8.
    const auto lines = maker.Make("Arial", "A", "#", ".");
    EXPECT_EQ(lines[4], Repeat(". ", 8) + "# ");
    EXPECT_EQ(lines[5], Repeat(". ", 9));
}

}  // namespace
}  // namespace pennora
