#include "fill/ListFind.h"

#include <gtest/gtest.h>

#include "fill/Pinyin.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

// GBK bytes spelled out where the point is the bytes: 侫 is 0x82 'A' and 俛
// is 0x82 'a', characters whose second byte is an ASCII letter.
constexpr const char* kWithTrailA = "\x82\x41";
constexpr const char* kWithTrailLowerA = "\x82\x61";

TEST(ListFindTest, APieceMatchesFromACharacterStartWithAsciiLettersInEitherCase) {
    const struct {
        const char* name;
        std::string text, piece;
        bool contained;
    } cases[] = {
        {"empty piece", "abc", "", true},
        {"empty piece, empty text", "", "", true},
        {"same case", "Mail", "Mail", true},
        {"other case", "e-mail: a@b.c", "MAIL", true},
        {"the edge letters, upper case typed", "az", "AZ", true},
        {"the edge letters, lower case typed", "AZ", "az", true},
        {"next to the edge letters nothing is folded", "@[`{", "`{@[", false},
        {"Chinese inside", "北京市海淀区", "海淀", true},
        {"ASCII and Chinese together", "Tel 电话", "l 电", true},
        {"longer than the text", "Tel", "Tell", false},
        {"not there", "北京市海淀区", "上海", false},
        {"an ASCII letter is not the second byte of a character", kWithTrailA, "a", false},
        {"nor in its own case", kWithTrailA, "A", false},
        {"two letters do not start at a second byte", std::string(kWithTrailA) + "B", "AB", false},
        {"a letter after a character still matches", std::string(kWithTrailA) + "B", "b", true},
        {"second bytes are compared exactly, not folded", kWithTrailA, kWithTrailLowerA, false},
        {"a character is not matched across two", "地址", "\xD8\xD6", false},
        {"only letters are folded", "[x]", "{x}", false},
        {"a lone lead byte at the end is a character", "ab\x82", "\x82", true},
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsPiece(c.text, c.piece), c.contained) << c.name;
}

// A Chinese character is found by itself or by the first one or more
// letters of any of its readings, so initials, whole syllables and a mix of
// both and of characters all find it, while the user types.
TEST(ListFindTest, ChineseCharactersAreFoundByTheStartOfAnyOfTheirReadings) {
    const struct {
        const char* text;
        const char* piece;
        bool contained;
    } cases[] = {
        {"地址", "dz", true},
        {"地址", "dizhi", true},
        {"地址", "DiZhi", true},
        {"地址", "dizh", true},
        {"地址", "dzhi", true},
        {"地址", "地z", true},
        {"地址", "d址", true},
        {"北京市地址", "dz", true},
        {"地址", "zd", false},
        {"地址", "dzz", false},
        {"地址", "dizhix", false},
        {"地址", "dihi", false},
        {"长度", "cd", true},
        {"长度", "zhangdu", true},
        {"长度", "changdu", true},
        {"长度", "chdx", false},
        {"绿色", "lvse", true},
        {"绿色", "luse", true},
        {"Tel 电话", "l dh", true},
        {"电话 Tel", "dhTEL", false},
        {"电话 Tel", "dh tel", true},
        {"地址", "i", false},
        {"，", "d", false},
        {"a\xB5", "d", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsPiece(c.text, c.piece), c.contained) << c.text << " / " << c.piece;
}

TEST(ListFindTest, LinesAreFoundByTitleOrContentInTheirOrder) {
    const std::vector<std::string> titles{"Mail", "地址", "Tel", kWithTrailA, "mail 2"};
    const std::vector<std::string> contents{"a@b.c", "北京市海淀区", "010-6275", "", "x"};
    const struct {
        const char* piece;
        std::vector<std::size_t> lines;
    } cases[] = {
        {"", {0, 1, 2, 3, 4}},
        {"MAIL", {0, 4}},
        {"海淀", {1}},
        {"62", {2}},
        {"a", {0, 4}},
        {"上海", {}},
        {"ila@", {}},  // the end of a title and the start of its content are not one text
    };
    for (const auto& c : cases) EXPECT_EQ(LinesContaining(titles, contents, c.piece), c.lines) << c.piece;
}

// The find box looks for a longer piece only among the lines its start
// found: that must give the lines a find among all of them gives, for
// letters that cross from one reading into the next as for characters.
TEST(ListFindTest, ALongerPieceFindsAmongTheLinesOfItsStartWhatItFindsAmongAll) {
    const FindIndex index({"地址", "长度", "Tel", "电话 Tel", "绿色", "ab"},
                          {"北京市海淀区", "zhang", "010-6275", "", "lv", "地z"});
    for (const std::string piece : {"dizhi", "dzhi", "zhangdu", "dhtel", "dh tel", "luse", "地zh", "0106"}) {
        for (std::size_t length = 1; length < piece.size(); ++length) {
            if (CutToWidth(piece, length).size() != length) continue;  // the box holds whole characters
            const std::vector<std::size_t> ofStart = index.LinesContaining(piece.substr(0, length));
            EXPECT_EQ(index.LinesContaining(piece, &ofStart), index.LinesContaining(piece)) << piece << " after " << length;
        }
    }
}

// A plain matcher written from the matching rule, with no prepared codes,
// tables or line summaries: whether `piece` from byte `p` stands in `text`
// from byte `t`, trying every way a letter run can pass a character.
std::size_t CharacterSize(std::string_view text, std::size_t at) {
    return IsGbkLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}
char Folded(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
bool ReferenceFrom(std::string_view text, std::size_t t, std::string_view piece, std::size_t p) {
    if (p == piece.size()) return true;
    if (t == text.size()) return false;
    const std::size_t size = CharacterSize(text, t), pieceSize = CharacterSize(piece, p);
    const char typed = Folded(piece[p]);
    if (size == 2 && pieceSize == 1 && typed >= 'a' && typed <= 'z') {
        std::string_view readings[16];
        const std::size_t count = std::min<std::size_t>(
            PinyinReadings(static_cast<unsigned char>(text[t]), static_cast<unsigned char>(text[t + 1]), readings, 16), 16);
        for (std::size_t r = 0; r < count; ++r)
            for (std::size_t n = 0; n < readings[r].size() && p + n < piece.size(); ++n) {
                const char letter = Folded(piece[p + n]);
                if (letter != readings[r][n] && !(letter == 'u' && readings[r][n] == 'v')) break;
                if (ReferenceFrom(text, t + 2, piece, p + n + 1)) return true;
            }
        return false;
    }
    if (size != pieceSize) return false;
    for (std::size_t i = 0; i < size; ++i)
        if (Folded(text[t + i]) != Folded(piece[p + i]) || (size == 2 && text[t + i] != piece[p + i])) return false;
    return ReferenceFrom(text, t + size, piece, p + size);
}
bool ReferenceContains(std::string_view text, std::string_view piece) {
    if (piece.empty()) return true;
    for (std::size_t t = 0; t < text.size(); t += CharacterSize(text, t))
        if (ReferenceFrom(text, t, piece, 0)) return true;
    return false;
}

// The find box's way, typing a text key by key and taking it back by
// backspaces (each step among the lines of the step before, a backspace from
// the lines kept for the shorter text), against the plain matcher per line.
TEST(ListFindTest, TypingAndBackspacesFindWhatAPlainMatcherFinds) {
    const std::vector<std::string> titles{"地址", "长度", "Tel", "电话 Tel", "绿色", "ab", "发票抬头12",
                                          "银行账号", "Mail", "", "女", std::string(kWithTrailA) + "B", "ORDER"};
    const std::vector<std::string> contents{"北京市海淀区中关村大街12号", "zhang", "010-6275", "", "lv", "地z",
                                            "Dear customer, your order", "开户行：中国工商银行", "mail@b.c", "地址",
                                            "nv nu", "", "ab\x82"};
    const FindIndex index(titles, contents);
    for (const std::string typed : {"dizhi", "dzhbj", "地址12", "order", "地z", "zhangdu", "dh tel", "luse", "nu",
                                    "nv", "u", "v", "Tel", "b", "0106", "yhzh", "海淀q", "12", "\x82", "zz"}) {
        std::vector<std::vector<std::size_t>> kept;
        std::vector<std::string> steps;
        for (std::size_t length = 1; length <= typed.size(); ++length)
            if (CutToWidth(typed, length).size() == length) steps.push_back(typed.substr(0, length));
        for (const std::string& piece : steps) {
            kept.push_back(index.LinesContaining(piece, kept.empty() ? nullptr : &kept.back()));
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i < titles.size(); ++i)
                if (ReferenceContains(titles[i], piece) || ReferenceContains(contents[i], piece)) expected.push_back(i);
            EXPECT_EQ(kept.back(), expected) << piece;
            EXPECT_EQ(index.LinesContaining(piece), expected) << piece << " among all";
        }
        for (std::size_t back = steps.size(); back-- > 1;)  // backspaces
            EXPECT_EQ(kept[back - 1], index.LinesContaining(steps[back - 1])) << steps[back - 1] << " after a backspace";
    }
}

// A stored change remakes only the lines it changed: whatever the change, the
// index remade is the one made from the new texts, and it finds what that
// one finds (the prepared codes of the lines after the change have moved).
TEST(ListFindTest, AnIndexRemadeAfterAChangeIsTheIndexMadeAnew) {
    using Texts = std::vector<std::string>;
    const Texts titles{"地址", "电话", "Mail", "地址", "银行账号"};
    const Texts contents{"北京市海淀区", "010-6275", "a@b.c", "上海", "0200"};
    const struct {
        const char* name;
        Texts titles, contents;
    } cases[] = {
        {"nothing changed", titles, contents},
        {"a content changed", titles, {"北京市海淀区", "010-9999 长", "a@b.c", "上海", "0200"}},
        {"a title renamed, longer", {"地址", "电话号码 Tel", "Mail", "地址", "银行账号"}, contents},
        {"a line inserted in the middle", {"地址", "电话", "快递", "Mail", "地址", "银行账号"},
         {"北京市海淀区", "010-6275", "顺丰", "a@b.c", "上海", "0200"}},
        {"a line deleted from the middle", {"地址", "电话", "地址", "银行账号"}, {"北京市海淀区", "010-6275", "上海", "0200"}},
        {"the first line deleted", {"电话", "Mail", "地址", "银行账号"}, {"010-6275", "a@b.c", "上海", "0200"}},
        {"a line appended", {"地址", "电话", "Mail", "地址", "银行账号", "发票"}, {"北京市海淀区", "010-6275", "a@b.c", "上海", "0200", "抬头"}},
        {"one of two repeated lines deleted", {"地址", "电话", "Mail", "银行账号"}, {"北京市海淀区", "010-6275", "a@b.c", "0200"}},
        {"every line gone", {}, {}},
        {"contents missing at the end", titles, {"北京市海淀区", "010-6275"}},
        {"all lines replaced", {"x", "y"}, {"z", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FindIndex remade(titles, contents);
        remade.Remake(titles, contents, c.titles, c.contents);
        const FindIndex anew(c.titles, c.contents);
        EXPECT_TRUE(remade == anew);
        for (const char* piece : {"dz", "地址", "dh", "6275", "mail", "c", "0200", "顺丰", "zhang", "shanghai"})
            EXPECT_EQ(remade.LinesContaining(piece), anew.LinesContaining(piece)) << piece;
    }
    // From nothing, and from an index made of other texts than those named.
    FindIndex empty;
    empty.Remake({}, {}, titles, contents);
    EXPECT_TRUE(empty == FindIndex(titles, contents));
    FindIndex other({"a"}, {"b"});
    other.Remake(titles, contents, titles, {});
    EXPECT_TRUE(other == FindIndex(titles, {}));
}

}  // namespace
}  // namespace pennora
