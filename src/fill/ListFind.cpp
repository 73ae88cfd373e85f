#include "fill/ListFind.h"

#include "ui/GbkText.h"

namespace pennora {
namespace {

unsigned char Byte(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

// The length of the character that starts at `at`: two bytes for a lead
// byte with a byte after it, otherwise one.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    return IsGbkLeadByte(Byte(text, at)) && at + 1 < text.size() ? 2 : 1;
}

unsigned char FoldAscii(unsigned char byte) { return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte; }

// Whether `piece` stands in `text` at `at`, the start of a character of
// both: each character of the piece is compared with the one of the text at
// the same place, so both are walked in step, character by character.
bool PieceAt(std::string_view text, std::size_t at, std::string_view piece) {
    for (std::size_t i = 0; i < piece.size();) {
        const std::size_t length = CharacterLength(piece, i);
        if (length == 1) {
            if (FoldAscii(Byte(text, at + i)) != FoldAscii(Byte(piece, i))) return false;
        } else if (CharacterLength(text, at + i) != 2 || text.compare(at + i, 2, piece, i, 2) != 0) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

bool ContainsPiece(std::string_view text, std::string_view piece) {
    if (piece.empty()) return true;
    for (std::size_t at = 0; at + piece.size() <= text.size(); at += CharacterLength(text, at))
        if (PieceAt(text, at, piece)) return true;
    return false;
}

std::vector<std::size_t> LinesContaining(const std::vector<std::string>& titles,
                                         const std::vector<std::string>& contents, std::string_view piece) {
    std::vector<std::size_t> lines;
    lines.reserve(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (ContainsPiece(titles[i], piece) || (i < contents.size() && ContainsPiece(contents[i], piece)))
            lines.push_back(i);
    return lines;
}

}  // namespace pennora
