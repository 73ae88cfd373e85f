#pragma once
// The text matrix: a short word drawn in a chosen font on a 31 x 16 picture,
// then read back pixel by pixel as one two-byte cell per pixel, the fill cell
// where there is ink and the back cell where the pixel is white.
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextSurface.h"

namespace pennora {

inline constexpr int kMatrixWidth = 31;   // the matrix icon's design size
inline constexpr int kMatrixHeight = 16;  // one row per pixel row
inline constexpr int kMatrixFontHeight = -16;  // 12 points at 96 pixels per inch

// Byte limits of the page's fields (bytes of the ANSI code page, GBK).
inline constexpr std::size_t kFrontLimit = 4;
inline constexpr std::size_t kCellTextLimit = 2;

// A cell: the first two bytes of the text followed by two spaces. A Chinese
// character is never cut in half: where the second byte would be the lead
// byte of a double-byte character (a text from the settings file can be
// longer than the field allows), a space takes its place, so a cell never
// ends in a lone lead byte that would swallow the first byte of the next cell.
std::string MatrixCell(std::string_view text);

// The number of columns after the first: the length in bytes times 7.5,
// rounded to the nearest integer, a half going to the even neighbour.
int MatrixColumns(std::size_t frontBytes);

// The front text as the generate button takes it: bytes 0x00 to 0x20 removed
// from both ends (the ideographic space, a double-byte character, stays).
std::string TrimFront(std::string_view text);

// The memo's text: every line followed by CR LF.
std::string MemoText(const std::vector<std::string>& lines);

// Draws on one surface for the life of its owner. The picture is made white
// on the first run and never cleared: each run draws over what earlier runs
// left, and the same picture is what the matrix icon shows.
class MatrixMaker {
public:
    explicit MatrixMaker(TextSurface& surface) : surface_(surface) {}

    // Draws four spaces, then the front text, both at (0, 0) in the face at
    // 16 pixels, and returns the 16 rows of N + 1 cells. A column outside the
    // picture counts as ink.
    std::vector<std::string> Make(const std::string& faceName, const std::string& front, const std::string& fill,
                                  const std::string& back);

    // Whether anything was drawn yet (the icon shows no picture before).
    bool HasPicture() const { return created_; }

private:
    TextSurface& surface_;
    bool created_ = false;
};

}  // namespace pennora
