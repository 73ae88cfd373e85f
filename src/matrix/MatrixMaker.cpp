#include "matrix/MatrixMaker.h"

#include "ui/GbkText.h"

namespace pennora {
namespace {

// GBK: a lead byte starts a double-byte character whose trail byte is
// 0x40-0xFE except 0x7F.
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

bool IsBlank(unsigned char byte) { return byte <= 0x20; }

}  // namespace

std::string MatrixCell(std::string_view text) {
    std::string padded = std::string(text) + "  ";
    const auto first = static_cast<unsigned char>(padded[0]);
    const auto second = static_cast<unsigned char>(padded[1]);
    if (IsGbkLeadByte(first)) {
        // A whole character, or a lone lead byte that stands for nothing.
        return IsTrailByte(second) ? padded.substr(0, 2) : std::string("  ");
    }
    if (IsGbkLeadByte(second)) return std::string(1, char(first)) + ' ';
    return padded.substr(0, 2);
}

int MatrixColumns(std::size_t frontBytes) {
    const std::size_t twice = frontBytes * 15;  // 2 x (L x 7.5)
    std::size_t n = twice / 2;
    if (twice % 2 == 1 && n % 2 == 1) ++n;  // a half goes to the even neighbour
    return int(n);
}

std::string TrimFront(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    // A trail byte is never 0x20 or below, so no character is cut here.
    while (end > begin && IsBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string MemoText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> MatrixMaker::Make(const std::string& faceName, const std::string& front,
                                           const std::string& fill, const std::string& back) {
    const std::string backCell = MatrixCell(back);
    const std::string fillCell = MatrixCell(fill);
    if (!created_) {
        surface_.CreateCompatibleBitmap(kMatrixWidth, kMatrixHeight);
        created_ = true;
    }
    surface_.CreateFontA(kMatrixFontHeight, faceName);
    surface_.TextOutA(0, 0, "    ");
    surface_.TextOutA(0, 0, front);

    const int columns = MatrixColumns(front.size());
    std::vector<std::string> lines;
    lines.reserve(kMatrixHeight);
    for (int y = 0; y < kMatrixHeight; ++y) {
        std::string line;
        line.reserve(2 * std::size_t(columns + 1));
        for (int x = 0; x <= columns; ++x) {
            const bool white = x < kMatrixWidth && surface_.GetPixel(x, y) == kWhite;
            line += white ? backCell : fillCell;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace pennora
