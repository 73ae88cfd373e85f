#include "fill/ListFind.h"

#include <array>
#include <map>
#include <memory>
#include <stdexcept>

#include "fill/Pinyin.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

// A character as one code: an ASCII letter folded to lower case, any other
// single byte as itself, a GBK character (lead byte and the byte after it)
// as lead * 256 + trail, which is at least 0x8100 and so never a single byte.
using Code = std::uint16_t;
// Between a title and its content and after the content: it is no character,
// so no match runs across it.
constexpr Code kGap = 0xFFFF;
constexpr Code kFirstDouble = 0x8000;

unsigned char FoldAscii(unsigned char byte) { return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte; }
bool IsLetterCode(Code code) { return code >= 'a' && code <= 'z'; }

// Appends the codes of `text`'s characters: two bytes for a lead byte with a
// byte after it, otherwise one.
void AppendCodes(std::string_view text, std::vector<Code>& codes) {
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (IsGbkLeadByte(byte) && at + 1 < text.size()) {
            codes.push_back(Code(byte << 8 | static_cast<unsigned char>(text[at + 1])));
            at += 2;
        } else {
            codes.push_back(FoldAscii(byte));
            ++at;
        }
    }
}

// A code's bit in a line's set of codes present (a few codes share a bit).
std::uint64_t CodeBit(Code code) { return std::uint64_t(1) << ((code * 40503u) >> 10 & 63); }

// The readings of every double-byte code, made once per process from the
// pinyin table: each reading as the index of its syllable, and the first
// letters of a character's readings as a set, so a keystroke looks up
// neither strings nor the table's search.
struct ReadingTable {
    std::vector<std::string> syllables;
    std::vector<std::uint32_t> firstReading;  // per double-byte code - kFirstDouble, and one more
    std::vector<std::uint16_t> readings;      // syllable indexes
    std::vector<std::uint32_t> initials;      // per double-byte code - kFirstDouble: bit n for 'a' + n

    ReadingTable() {
        constexpr std::size_t kCodes = 0x10000 - kFirstDouble;
        firstReading.reserve(kCodes + 1);
        initials.assign(kCodes, 0);
        std::map<std::string_view, std::uint16_t> known;
        std::array<std::string_view, 16> found;
        for (std::size_t code = kFirstDouble; code < 0x10000; ++code) {
            firstReading.push_back(std::uint32_t(readings.size()));
            const std::size_t count = std::min(
                PinyinReadings(unsigned(code >> 8), unsigned(code & 0xFF), found.data(), found.size()), found.size());
            for (std::size_t r = 0; r < count; ++r) {
                const std::string_view syllable = found[r];
                if (syllable.empty()) continue;
                auto [place, added] = known.try_emplace(syllable, std::uint16_t(syllables.size()));
                if (added) syllables.emplace_back(syllable);
                readings.push_back(place->second);
                if (IsLetterCode(Code(syllable[0]))) initials[code - kFirstDouble] |= 1u << (syllable[0] - 'a');
            }
        }
        firstReading.push_back(std::uint32_t(readings.size()));
    }
};

const ReadingTable& Readings() {
    static const ReadingTable table;
    return table;
}

// A piece made ready for one find: its codes, for each letter in it how many
// letters from there spell the start of each syllable, and which codes a
// match can start at.
class Piece {
public:
    explicit Piece(std::string_view piece) : table_(Readings()) {
        AppendCodes(piece, codes_);
        const std::size_t syllableCount = table_.syllables.size();
        spelled_.assign(codes_.size() * syllableCount, 0);
        for (std::size_t p = 0; p < codes_.size(); ++p) {
            if (!IsLetterCode(codes_[p])) continue;
            for (std::size_t s = 0; s < syllableCount; ++s)
                spelled_[p * syllableCount + s] = SpelledLetters(p, table_.syllables[s]);
        }
        startable_.assign(0x10000 / 64, 0);
        if (codes_.empty()) return;
        const Code first = codes_[0];
        if (IsLetterCode(first)) startLetter_ = 1u << (first - 'a');
        for (Code code : codes_)
            if (!IsLetterCode(code)) codesNeeded_ |= CodeBit(code);
        Mark(first);
        if (IsLetterCode(first))
            for (std::size_t code = kFirstDouble; code < 0x10000; ++code)
                if (table_.initials[code - kFirstDouble] >> (first - 'a') & 1 ||
                    (first == 'u' && table_.initials[code - kFirstDouble] >> ('v' - 'a') & 1))
                    Mark(Code(code));
        reached_.resize(codes_.size() + 1);
        seen_.assign(codes_.size() + 1, 0);
    }

    bool Empty() const { return codes_.empty(); }

    // Whether a line of this summary may hold the piece: every code of the
    // piece but its letters stands in it as itself, and a piece that starts
    // with a letter starts at that letter or at a character read with it.
    // A line that passes is still looked at whole.
    bool MayBeIn(const LineSummary& line) const {
        return (line.startLetters & startLetter_) == startLetter_ && (line.codes & codesNeeded_) == codesNeeded_;
    }

    // Whether the piece stands in `text` from the start of one of its characters.
    bool In(const Code* text, std::size_t size) {
        for (std::size_t at = 0; at < size; ++at)
            if (startable_[text[at] >> 6] >> (text[at] & 63) & 1 && From(text + at, text + size)) return true;
        return false;
    }

private:
    // How many letters of the piece from `at` spell the start of `syllable`:
    // a u typed stands for the v of u with diaeresis too.
    std::uint8_t SpelledLetters(std::size_t at, std::string_view syllable) const {
        std::size_t n = 0;
        while (n < syllable.size() && at + n < codes_.size()) {
            const Code typed = codes_[at + n];
            if (typed != Code(syllable[n]) && !(typed == 'u' && syllable[n] == 'v')) break;
            ++n;
        }
        return std::uint8_t(n);
    }

    void Mark(Code code) { startable_[code >> 6] |= std::uint64_t(1) << (code & 63); }

    // Whether the piece stands in the text from `at`: walks the text
    // character by character, keeping every place in the piece reached so
    // far. A Chinese character is passed by a letter of the piece through
    // the first one or more letters of one of its readings; otherwise the
    // characters must be the same.
    bool From(const Code* at, const Code* end) {
        const std::size_t size = codes_.size(), syllableCount = table_.syllables.size();
        std::size_t reachedCount = 1;
        reached_[0] = 0;
        for (; at != end; ++at) {
            const Code code = *at;
            ++stamp_;
            next_.clear();
            const auto reach = [&](std::size_t place) {
                if (seen_[place] != stamp_) seen_[place] = stamp_, next_.push_back(place);
            };
            for (std::size_t i = 0; i < reachedCount; ++i) {
                const std::size_t p = reached_[i];
                if (IsLetterCode(codes_[p]) && code >= kFirstDouble) {
                    const std::size_t slot = code - kFirstDouble;
                    for (std::uint32_t r = table_.firstReading[slot]; r < table_.firstReading[slot + 1]; ++r)
                        for (std::size_t n = spelled_[p * syllableCount + table_.readings[r]]; n > 0; --n) reach(p + n);
                } else if (codes_[p] == code) {
                    reach(p + 1);
                }
            }
            if (seen_[size] == stamp_) return true;
            if (next_.empty()) return false;
            reachedCount = next_.size();
            std::copy(next_.begin(), next_.end(), reached_.begin());
        }
        return false;
    }

    const ReadingTable& table_;
    std::vector<Code> codes_;
    std::uint32_t startLetter_ = 0;     // the first letter's bit, if the piece starts with one
    std::uint64_t codesNeeded_ = 0;     // the bits of the codes but letters
    std::vector<std::uint8_t> spelled_;     // [place * syllables + syllable]
    std::vector<std::uint64_t> startable_;  // a bit per code
    std::vector<std::size_t> reached_, next_;
    std::vector<std::uint32_t> seen_;  // the stamp of the step that last reached each place
    std::uint32_t stamp_ = 0;
};

}  // namespace

FindIndex::FindIndex(const std::vector<std::string>& titles, const std::vector<std::string>& contents) {
    Readings();  // made here, with the rest a find needs, not at the first keystroke
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < titles.size(); ++i)
        bytes += titles[i].size() + (i < contents.size() ? contents[i].size() : 0) + 2;
    codes_.reserve(bytes);
    starts_.reserve(titles.size() + 1);
    summaries_.reserve(titles.size());
    Append(titles, contents, 0, titles.size());
    starts_.push_back(std::uint32_t(codes_.size()));
}

void FindIndex::Append(const std::vector<std::string>& titles, const std::vector<std::string>& contents,
                       std::size_t first, std::size_t last) {
    const ReadingTable& table = Readings();
    for (std::size_t i = first; i < last; ++i) {
        const std::size_t start = codes_.size();
        starts_.push_back(std::uint32_t(start));
        AppendCodes(titles[i], codes_);
        codes_.push_back(kGap);
        if (i < contents.size()) AppendCodes(contents[i], codes_);
        codes_.push_back(kGap);
        LineSummary summary;
        for (std::size_t at = start; at < codes_.size(); ++at) {
            const Code code = codes_[at];
            summary.codes |= CodeBit(code);
            if (IsLetterCode(code)) {
                summary.startLetters |= 1u << (code - 'a');
            } else if (code >= kFirstDouble && code != kGap) {
                std::uint32_t initials = table.initials[code - kFirstDouble];
                // A typed u also starts a reading spelled with v.
                if (initials >> ('v' - 'a') & 1) initials |= 1u << ('u' - 'a');
                summary.startLetters |= initials;
            }
        }
        summaries_.push_back(summary);
    }
}

void FindIndex::Remake(const std::vector<std::string>& oldTitles, const std::vector<std::string>& oldContents,
                       const std::vector<std::string>& titles, const std::vector<std::string>& contents) {
    static const std::string kNone;
    const auto contentOf = [](const std::vector<std::string>& of, std::size_t i) -> const std::string& {
        return i < of.size() ? of[i] : kNone;
    };
    const auto same = [&](std::size_t oldLine, std::size_t line) {
        return oldTitles[oldLine] == titles[line] && contentOf(oldContents, oldLine) == contentOf(contents, line);
    };
    if (starts_.empty() || oldTitles.size() != size()) {  // not the texts it was made of: made anew
        *this = FindIndex(titles, contents);
        return;
    }
    // The lines both share at the start, and then at the end.
    std::size_t first = 0;
    while (first < oldTitles.size() && first < titles.size() && same(first, first)) ++first;
    std::size_t shared = 0;
    while (shared < oldTitles.size() - first && shared < titles.size() - first &&
           same(oldTitles.size() - 1 - shared, titles.size() - 1 - shared))
        ++shared;
    const std::size_t removed = oldTitles.size() - first - shared, inserted = titles.size() - first - shared;
    if (removed == 0 && inserted == 0) return;

    // The changed lines prepared on their own, then put in place of the old.
    FindIndex part;
    part.Append(titles, contents, first, first + inserted);
    part.starts_.push_back(std::uint32_t(part.codes_.size()));
    const std::size_t codeFirst = starts_[first], codeEnd = starts_[first + removed];
    const auto toCode = [&](std::size_t at) { return codes_.begin() + std::ptrdiff_t(at); };
    if (codes_.size() - (codeEnd - codeFirst) + part.codes_.size() > UINT32_MAX) throw std::length_error("find index");
    codes_.erase(toCode(codeFirst), toCode(codeEnd));
    codes_.insert(toCode(codeFirst), part.codes_.begin(), part.codes_.end());
    const std::int64_t moved = std::int64_t(part.codes_.size()) - std::int64_t(codeEnd - codeFirst);
    std::vector<std::uint32_t> starts;
    starts.reserve(titles.size() + 1);
    starts.insert(starts.end(), starts_.begin(), starts_.begin() + std::ptrdiff_t(first));
    for (std::size_t i = 0; i < inserted; ++i) starts.push_back(std::uint32_t(codeFirst + part.starts_[i]));
    for (std::size_t i = first + removed; i < starts_.size(); ++i)
        starts.push_back(std::uint32_t(std::int64_t(starts_[i]) + moved));
    starts_ = std::move(starts);
    summaries_.erase(summaries_.begin() + std::ptrdiff_t(first), summaries_.begin() + std::ptrdiff_t(first + removed));
    summaries_.insert(summaries_.begin() + std::ptrdiff_t(first), part.summaries_.begin(), part.summaries_.end());
}

std::vector<std::size_t> FindIndex::LinesContaining(std::string_view piece,
                                                    const std::vector<std::size_t>* among) const {
    std::vector<std::size_t> lines;
    Piece found(piece);
    const auto look = [&](std::size_t i) {
        if (found.Empty() ||
            (found.MayBeIn(summaries_[i]) && found.In(codes_.data() + starts_[i], starts_[i + 1] - starts_[i])))
            lines.push_back(i);
    };
    if (among) {
        for (std::size_t i : *among)
            if (i < size()) look(i);
    } else {
        lines.reserve(size());
        for (std::size_t i = 0; i < size(); ++i) look(i);
    }
    return lines;
}

bool ContainsPiece(std::string_view text, std::string_view piece) {
    if (piece.empty()) return true;
    std::vector<Code> codes;
    AppendCodes(text, codes);
    return Piece(piece).In(codes.data(), codes.size());
}

std::vector<std::size_t> LinesContaining(const std::vector<std::string>& titles,
                                         const std::vector<std::string>& contents, std::string_view piece) {
    return FindIndex(titles, contents).LinesContaining(piece);
}

}  // namespace pennora
