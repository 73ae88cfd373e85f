#include "entries/EntryCsv.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/Error.h"

namespace pennora {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kRecordEnd = "\r\n";
constexpr std::size_t kFieldCount = 4;
constexpr std::string_view kFieldNames[kFieldCount] = {"Title", "Content", "InDrag", "InHotKey"};

// ---- UTF-8 ------------------------------------------------------------------

// The code point that starts at `at` and its length in bytes, or nothing when
// the bytes there are not well-formed UTF-8 (overlong forms, surrogates and
// values beyond U+10FFFF included).
std::optional<std::pair<std::uint32_t, std::size_t>> CodePointAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return std::pair<std::uint32_t, std::size_t>{lead, 1};
    std::size_t length;
    std::uint32_t value, least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return std::pair<std::uint32_t, std::size_t>{value, length};
}

// The offset of the first byte that is not part of well-formed UTF-8.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto point = CodePointAt(text, at);
        if (!point) return at;
        at += point->second;
    }
    return std::nullopt;
}

std::size_t LineAt(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset; ++i) line += text[i] == '\n';
    return line;
}

// ---- Reading records -----------------------------------------------------------

struct Field {
    std::string text;
    bool quoted = false;
};

struct Record {
    std::vector<Field> fields;
    std::size_t line = 0;  // where it starts
};

// What is wrong with the input, and on which line.
struct Problem {
    std::size_t line;
    std::string reason;
};

// Splits the text into records of fields as RFC 4180 has them; throws
// Problem at a quote out of place.
class RecordReader {
public:
    explicit RecordReader(std::string_view text) : text_(text) {}

    // False at the end of the input.
    bool Next(Record& record) {
        if (at_ >= text_.size()) return false;
        record.fields.clear();
        record.line = line_;
        for (;;) {
            record.fields.push_back(ReadField());
            if (at_ >= text_.size()) return true;
            const char next = text_[at_];
            if (next == ',') {
                ++at_;
                continue;
            }
            if (next == '\n' || text_.substr(at_, 2) == kRecordEnd) {
                at_ += next == '\n' ? 1 : 2;
                ++line_;
                return true;
            }
            throw Problem{line_, "带引号的字段以外不能有单独的回车符"};
        }
    }

private:
    Field ReadField() {
        Field field;
        if (at_ < text_.size() && text_[at_] == '"') return ReadQuotedField();
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' && text_[at_] != '\n') {
            if (text_[at_] == '"') throw Problem{line_, "不带引号的字段中有引号（字段中的引号须整个字段加引号、引号写两次）"};
            field.text += text_[at_++];
        }
        return field;
    }

    Field ReadQuotedField() {
        Field field{{}, true};
        const std::size_t startLine = line_;
        ++at_;
        for (;;) {
            if (at_ >= text_.size()) throw Problem{startLine, "带引号的字段缺少结束的引号"};
            const char c = text_[at_++];
            if (c == '"') {
                if (at_ < text_.size() && text_[at_] == '"') {
                    field.text += '"';
                    ++at_;
                    continue;
                }
                break;
            }
            if (c == '\n') ++line_;
            field.text += c;
        }
        if (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' && text_[at_] != '\n')
            throw Problem{line_, "结束的引号后面只能是逗号或换行"};
        return field;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
};

bool IsBlankLine(const Record& record) {
    return record.fields.size() == 1 && !record.fields[0].quoted && record.fields[0].text.empty();
}

// ---- Fields of an entry ----------------------------------------------------------

std::string CodePointName(std::uint32_t point) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(point));
    return name;
}

// Why `utf8` does not convert: the first character the code page lacks.
std::string WhyNotAnsi(std::string_view utf8, TextCodec& codec) {
    std::string ignored;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto point = CodePointAt(utf8, at);
        if (!point) break;
        if (!codec.Utf8ToAnsi(utf8.substr(at, point->second), ignored))
            return "字符 " + CodePointName(point->first) + " 无法用 GBK 表示";
        at += point->second;
    }
    return "文字无法转换为 GBK";
}

// What a field may hold. The editor never makes the other control
// characters, and a title that holds one (NUL above all) can be neither
// shown whole nor found and dropped.
enum class TextKind { Title, Content };

// Refuses a control character other than TAB (and CR, LF in a content) and
// a line break in a title, naming the line it is on; `line` is where the
// field starts.
void CheckCharacters(std::string_view text, TextKind kind, const char* name, std::size_t line) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool lineBreak = c == '\r' || c == '\n';
        if (lineBreak && kind == TextKind::Title) throw Problem{line, std::string(name) + "中不能有换行"};
        if ((byte < 0x20 && c != '\t' && !lineBreak) || byte == 0x7F)
            throw Problem{line, std::string(name) + "中有控制字符 " + CodePointName(byte)};
        line += c == '\n';
    }
}

// Spreadsheets end the lines of a cell with LF alone; the tool's texts (and
// the drop, which types CR LF as one line break) have CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::optional<std::string> TextOf(const Field& field, TextKind kind, const char* name, std::size_t width,
                                  std::size_t line, TextCodec& codec) {
    if (!field.quoted && field.text.empty()) return std::nullopt;
    CheckCharacters(field.text, kind, name, line);
    const std::string text = kind == TextKind::Content ? WithCrLf(field.text) : field.text;
    std::string ansi;
    if (!codec.Utf8ToAnsi(text, ansi)) throw Problem{line, std::string(name) + "中的" + WhyNotAnsi(text, codec)};
    if (ansi.size() > width)
        throw Problem{line, std::string(name) + "有 " + std::to_string(ansi.size()) + " 个字节（GBK" +
                                (text.size() != field.text.size() ? "，单独的换行符算作回车换行" : "") + "），最多 " +
                                std::to_string(width) + " 个"};
    return ansi;
}

bool IsPrintableAscii(std::string_view text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

std::optional<bool> FlagOf(const Field& field, std::string_view name, std::size_t line) {
    if (field.text.empty()) return std::nullopt;
    if (field.text == "1") return true;
    if (field.text == "0") return false;
    std::string reason = std::string(name) + " 只能是空、0 或 1";
    if (field.text.size() <= 20 && IsPrintableAscii(field.text)) reason += "，这里是“" + field.text + "”";
    throw Problem{line, reason};
}

void CheckHeader(const Record& header) {
    bool matches = header.fields.size() == kFieldCount;
    for (std::size_t i = 0; matches && i < kFieldCount; ++i) matches = header.fields[i].text == kFieldNames[i];
    if (!matches) throw Problem{header.line, "第一行应是标题行 " + std::string(kEntryCsvHeader)};
}

Entry EntryOf(const Record& record, TextCodec& codec) {
    if (record.fields.size() != kFieldCount)
        throw Problem{record.line, "有 " + std::to_string(record.fields.size()) + " 个字段，应为 4 个"};
    // A title holds no line break, so the content starts on the title's line.
    return {TextOf(record.fields[0], TextKind::Title, "标题", kTitleWidth, record.line, codec),
            TextOf(record.fields[1], TextKind::Content, "内容", kContentWidth, record.line, codec),
            FlagOf(record.fields[2], kFieldNames[2], record.line), FlagOf(record.fields[3], kFieldNames[3], record.line)};
}

std::vector<Entry> ReadEntries(std::string_view bytes, TextCodec& codec) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    if (const auto invalid = FirstInvalidUtf8(bytes))
        throw Problem{LineAt(bytes, *invalid), "不是有效的 UTF-8 文字（文件须以 UTF-8 编码保存）"};
    RecordReader reader(bytes);
    Record record;
    if (!reader.Next(record)) throw Problem{1, "文件是空的，第一行应是标题行 " + std::string(kEntryCsvHeader)};
    CheckHeader(record);
    std::vector<Entry> entries;
    while (reader.Next(record)) {
        if (!IsBlankLine(record)) entries.push_back(EntryOf(record, codec));
    }
    return entries;
}

// ---- Writing -------------------------------------------------------------------

void AppendText(std::string& out, const std::optional<std::string>& text, const char* name, std::size_t entry,
                TextCodec& codec) {
    if (!text) return;
    std::string utf8;
    if (!codec.AnsiToUtf8(*text, utf8))
        throw Error("第 " + std::to_string(entry) + " 个数据项的" + name + "中有不属于 GBK 文字的字节，无法导出。");
    if (!utf8.empty() && utf8.find_first_of(",\"\r\n") == std::string::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendFlag(std::string& out, const std::optional<bool>& flag) {
    if (flag) out += *flag ? '1' : '0';
}

}  // namespace

std::string EncodeEntryCsv(const std::vector<Entry>& entries, TextCodec& codec) {
    std::string out(kByteOrderMark);
    out += kEntryCsvHeader;
    out += kRecordEnd;
    std::size_t number = 0;
    for (const Entry& entry : entries) {
        ++number;
        AppendText(out, entry.title, "标题", number, codec);
        out += ',';
        AppendText(out, entry.content, "内容", number, codec);
        out += ',';
        AppendFlag(out, entry.inDrag);
        out += ',';
        AppendFlag(out, entry.inHotKey);
        out += kRecordEnd;
    }
    return out;
}

DecodedEntryCsv DecodeEntryCsv(std::string_view bytes, TextCodec& codec) {
    DecodedEntryCsv decoded;
    try {
        decoded.entries = ReadEntries(bytes, codec);
    } catch (const Problem& problem) {
        decoded.line = problem.line;
        decoded.error = "第 " + std::to_string(problem.line) + " 行：" + problem.reason + "。";
    }
    return decoded;
}

}  // namespace pennora
