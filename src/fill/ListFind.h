#pragma once
// Finding lines of the drag-fill list by a piece of their text, as the user
// types it into the window's find box. ASCII letters match in either case;
// a GBK character matches only whole, so a typed ASCII letter never matches
// the second byte of a Chinese character (many of those lie in 0x40..0x7E).
// A Chinese character is also matched by the first one or more letters of any
// of its toneless pinyin readings, so "dz", "dizhi", "dzhi" and "地z" all
// find 地址: each character's letters start at its reading's first letter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pennora {

// The titles and contents of a list made ready for finding, once per filling
// of the list: each text as one code per character (ASCII letters folded to
// lower case, a GBK character as its two bytes), so that a keystroke walks
// these codes and looks readings up in a table made once per process,
// instead of decoding every text and searching the readings again.
// What a line holds, in short, so that most lines a piece cannot stand in
// are passed over without walking their texts: the letters a match can start
// at (ASCII letters and the first letters of the characters' readings) and a
// bit for each code present (a few codes share a bit).
struct LineSummary {
    std::uint32_t startLetters = 0;  // bit n for 'a' + n
    std::uint64_t codes = 0;
    bool operator==(const LineSummary&) const = default;
};

class FindIndex {
public:
    FindIndex() = default;
    // `contents` is parallel to `titles`; a line without one has none.
    FindIndex(const std::vector<std::string>& titles, const std::vector<std::string>& contents);

    std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }

    // Makes this index, made of `oldTitles` and `oldContents`, that of
    // `titles` and `contents`: only the lines between those the two share at
    // their start and at their end are prepared again, so a stored change
    // (which changes one run of lines) costs the lines it changed and a move
    // of the prepared codes, not a whole remaking.
    void Remake(const std::vector<std::string>& oldTitles, const std::vector<std::string>& oldContents,
                const std::vector<std::string>& titles, const std::vector<std::string>& contents);

    bool operator==(const FindIndex&) const = default;

    // The lines, by index in order, whose title or content contains `piece`:
    // every line when it is empty. With `among` (lines in order), only those
    // are looked at: a text holding a piece holds every piece it starts with,
    // so the lines a longer piece finds are among those its start found.
    std::vector<std::size_t> LinesContaining(std::string_view piece,
                                             const std::vector<std::size_t>* among = nullptr) const;

private:
    // Prepares lines [first, last) of `titles` and `contents` onto the end.
    void Append(const std::vector<std::string>& titles, const std::vector<std::string>& contents, std::size_t first,
                std::size_t last);

    std::vector<std::uint16_t> codes_;   // every line's title, a gap, its content, a gap
    std::vector<std::uint32_t> starts_;  // line i's codes are [starts_[i], starts_[i + 1])
    std::vector<LineSummary> summaries_;  // per line
};

// Whether `piece` stands in `text` from the start of one of its characters,
// ASCII letters compared without regard to case. An empty piece stands in
// every text.
bool ContainsPiece(std::string_view text, std::string_view piece);

// The lines, by index in order, whose title or content contains `piece`:
// every line when it is empty. `contents` is parallel to `titles`.
std::vector<std::size_t> LinesContaining(const std::vector<std::string>& titles,
                                         const std::vector<std::string>& contents, std::string_view piece);

}  // namespace pennora
