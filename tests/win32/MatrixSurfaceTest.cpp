// The text matrix on the real GDI surface with a real CJK font: the shape of
// the output for the word at the surface's full width and for the
// fresh-install inputs, and a face name that names no font.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "matrix/MatrixMaker.h"
#include "platform/win32/Win32TextSurface.h"

namespace pennora {
namespace {

// WenQuanYi Zen Hei, as the system lists it under the Chinese locale.
constexpr const char* kCjkFace = "文泉驿正黑";
const std::string kFillCell = "灌";
const std::string kBackCell = "\xA1\xA1";  // the ideographic space

bool FontInstalled(const char* face) {
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &query, [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
    }, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

// The cells of a row, two bytes each.
std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells;
    for (std::size_t i = 0; i + 1 < row.size(); i += 2) cells.push_back(row.substr(i, 2));
    return cells;
}

TEST(MatrixSurface, TwoChineseCharactersFillTheWidthWithInkInBothHalves) {
    ASSERT_TRUE(FontInstalled(kCjkFace)) << "the CJK font of the test machine (fonts-wqy-zenhei) is missing";
    Win32TextSurface surface;
    MatrixMaker maker(surface);
    const auto lines = maker.Make(kCjkFace, "灌水", kFillCell, kBackCell);

    ASSERT_EQ(lines.size(), 16u);
    bool inkLeft = false, inkRight = false;
    for (const std::string& line : lines) {
        ASSERT_EQ(line.size(), 62u);
        const auto cells = Cells(line);
        for (std::size_t x = 0; x < cells.size(); ++x) {
            ASSERT_TRUE(cells[x] == kFillCell || cells[x] == kBackCell) << "row " << line;
            if (cells[x] == kFillCell) (x < 16 ? inkLeft : inkRight) = true;
        }
    }
    EXPECT_TRUE(inkLeft) << "no ink of 灌";
    EXPECT_TRUE(inkRight) << "no ink of 水";
    EXPECT_EQ(MemoText(lines).size(), 16u * 64u);
}

TEST(MatrixSurface, FreshInstallInputsGiveSixteenCellsALineAndRepeatExactly) {
    Win32TextSurface surface;
    MatrixMaker maker(surface);
    const auto first = maker.Make(kCjkFace, "水", kFillCell, kBackCell);
    ASSERT_EQ(first.size(), 16u);
    std::set<std::string> seen;
    for (const std::string& line : first) {
        ASSERT_EQ(line.size(), 32u);
        for (const std::string& cell : Cells(line)) seen.insert(cell);
    }
    EXPECT_EQ(seen, (std::set<std::string>{kFillCell, kBackCell}));
    EXPECT_EQ(maker.Make(kCjkFace, "水", kFillCell, kBackCell), first);
}

TEST(MatrixSurface, AnUnknownFaceNameStillGivesSixteenLines) {
    Win32TextSurface surface;
    MatrixMaker maker(surface);
    const auto lines = maker.Make("No Such Font 12345", "AB", "#", ".");
    ASSERT_EQ(lines.size(), 16u);
    for (const std::string& line : lines) EXPECT_EQ(line.size(), 2u * 16u);  // L = 2: N = 15
}

TEST(MatrixSurface, ThePictureIsCopiedToAnotherContextAsDrawn) {
    Win32TextSurface surface;
    MatrixMaker maker(surface);
    maker.Make(kCjkFace, "灌水", kFillCell, kBackCell);

    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kMatrixWidth, kMatrixHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ original = SelectObject(copy, bitmap);
    surface.BitBlt(copy, 0, 0);
    for (int y = 0; y < kMatrixHeight; ++y) {
        for (int x = 0; x < kMatrixWidth; ++x) ASSERT_EQ(GetPixel(copy, x, y), surface.GetPixel(x, y)) << x << "," << y;
    }
    SelectObject(copy, original);
    DeleteObject(bitmap);
    DeleteDC(copy);
}

}  // namespace
}  // namespace pennora
