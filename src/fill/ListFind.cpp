#include "fill/ListFind.h"

#include <vector>

#include "fill/Pinyin.h"
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

bool IsAsciiLetter(unsigned char byte) { return FoldAscii(byte) >= 'a' && FoldAscii(byte) <= 'z'; }

// How many letters of `piece` from `at` spell the start of `syllable`: a u
// typed stands for the v of u with diaeresis too.
std::size_t SpelledLetters(std::string_view piece, std::size_t at, std::string_view syllable) {
    std::size_t n = 0;
    while (n < syllable.size() && at + n < piece.size()) {
        const unsigned char typed = FoldAscii(Byte(piece, at + n));
        if (typed != syllable[n] && !(typed == 'u' && syllable[n] == 'v')) break;
        ++n;
    }
    return n;
}

// Whether `piece` stands in `text` from `at` with pinyin: walks the text
// character by character, keeping every place in the piece reached so far.
// A Chinese character of the text is passed by itself typed whole or by the
// first one or more letters of one of its readings; any other character as
// PieceAt compares it.
bool PinyinPieceAt(std::string_view text, std::size_t at, std::string_view piece, std::vector<char>& reached,
                   std::vector<char>& next) {
    reached.assign(piece.size() + 1, 0);
    reached[0] = 1;
    std::string_view readings[16];
    for (std::size_t t = at; t < text.size();) {
        const std::size_t length = CharacterLength(text, t);
        next.assign(piece.size() + 1, 0);
        bool any = false;
        const std::size_t count =
            length == 2 ? std::min<std::size_t>(PinyinReadings(Byte(text, t), Byte(text, t + 1), readings, 16), 16) : 0;
        for (std::size_t p = 0; p < piece.size(); ++p) {
            if (!reached[p]) continue;
            const std::size_t typed = CharacterLength(piece, p);
            if (typed == 2 || !IsAsciiLetter(Byte(piece, p)) || length == 1) {
                if (typed == length && PieceAt(text.substr(0, t + length), t, piece.substr(p, typed)))
                    any = next[p + typed] = 1;
                continue;
            }
            for (std::size_t r = 0; r < count; ++r)
                for (std::size_t n = SpelledLetters(piece, p, readings[r]); n > 0; --n) any = next[p + n] = 1;
        }
        if (next[piece.size()]) return true;
        if (!any) return false;
        reached.swap(next);
        t += length;
    }
    return false;
}

bool HasAsciiLetter(std::string_view piece) {
    for (std::size_t i = 0; i < piece.size(); i += CharacterLength(piece, i))
        if (CharacterLength(piece, i) == 1 && IsAsciiLetter(Byte(piece, i))) return true;
    return false;
}

}  // namespace

bool ContainsPiece(std::string_view text, std::string_view piece) {
    if (piece.empty()) return true;
    if (HasAsciiLetter(piece)) {
        std::vector<char> reached, next;
        for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at))
            if (PinyinPieceAt(text, at, piece, reached, next)) return true;
        return false;
    }
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
