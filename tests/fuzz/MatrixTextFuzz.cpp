// The text matrix on arbitrary bytes as a hand-edited settings file can hold
// them: fill, back and front text (NUL-separated, in that order) and a picture
// whose pixels come from the input. Every cell is two bytes and never ends in
// a lone lead byte, every row holds N + 1 of them, and the front text is
// trimmed of blanks and control bytes only.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "matrix/MatrixMaker.h"
#include "ui/GbkText.h"
#include "ui/GbkText.h"

namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE; }

// A picture whose pixels are white or not as the input's bytes say.
class BytePicture final : public pennora::TextSurface {
public:
    explicit BytePicture(std::string_view bytes) : bytes_(bytes) {}
    void CreateCompatibleBitmap(int, int) override {}
    void CreateFontA(int, const std::string&) override {}
    void TextOutA(int, int, const std::string&) override {}
    pennora::ColorRef GetPixel(int x, int y) override {
        if (x < 0 || y < 0 || x >= pennora::kMatrixWidth || y >= pennora::kMatrixHeight) std::abort();
        if (bytes_.empty()) return pennora::kWhite;
        return bytes_[std::size_t(x + y * pennora::kMatrixWidth) % bytes_.size()] & 1 ? 0x808080 : pennora::kWhite;
    }

private:
    std::string_view bytes_;
};

std::string_view Next(std::string_view& rest) {
    const std::size_t end = rest.find('\0');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return part;
}

void CheckCell(const std::string& cell) {
    if (cell.size() != 2) std::abort();
    if (!IsLead(cell[0]) && IsLead(cell[1])) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string fill(Next(rest)), back(Next(rest)), front(Next(rest));

    const std::string fillCell = pennora::MatrixCell(fill), backCell = pennora::MatrixCell(back);
    CheckCell(fillCell);
    CheckCell(backCell);

    const std::string trimmed = pennora::TrimFront(front);
    if (front.find(trimmed) == std::string::npos) std::abort();
    if (!trimmed.empty() && (static_cast<unsigned char>(trimmed.front()) <= 0x20 ||
                             static_cast<unsigned char>(trimmed.back()) <= 0x20))
        std::abort();

    for (std::size_t limit = 0; limit <= pennora::kFrontLimit; ++limit) {
        const std::string kept = pennora::CutToWidth(front, limit);
        if (kept.size() > limit || front.compare(0, kept.size(), kept) != 0) std::abort();
    }

    BytePicture picture(front);
    pennora::MatrixMaker maker(picture);
    const std::vector<std::string> lines = maker.Make("", trimmed, fill, back);
    const std::size_t cells = std::size_t(pennora::MatrixColumns(trimmed.size())) + 1;
    if (lines.size() != std::size_t(pennora::kMatrixHeight)) std::abort();
    for (const std::string& line : lines) {
        if (line.size() != 2 * cells) std::abort();
        for (std::size_t i = 0; i < line.size(); i += 2) {
            const std::string cell = line.substr(i, 2);
            if (cell != fillCell && cell != backCell) std::abort();
        }
    }
    return 0;
}
