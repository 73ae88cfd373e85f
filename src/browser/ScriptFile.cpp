#include "browser/ScriptFile.h"

#include <array>

namespace pennora {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndOfFile = 0x1A;
constexpr std::string_view kMarker = "MRANGE.TEXT=";

bool IsLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrail(unsigned char byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE); }

// A lead byte without its trail, or 0xFF: bytes a browser may join with the
// byte that follows, so the single-quoted form writes them as \xHH.
bool IsBrokenChar(std::string_view text, std::size_t at, std::size_t length) {
    unsigned char byte = static_cast<unsigned char>(text[at]);
    return length == 1 && (IsLead(byte) || byte == 0xFF);
}

// Lines 1 to 6 and 8; line 7 is built from the text.
constexpr std::array<std::string_view, 6> kHead = {
    "<SCRIPT LANGUAGE=\"JavaScript\" defer>\r\n",
    "var pwin=external.menuArguments; \r\r\n",
    "var mdocu=pwin.document;\r\r\n",
    "var mselect=mdocu.selection;\r\r\n",
    "var mrange=mselect.createRange();\r\r\n",
    "if (mdocu.activeElement.type==\"text\"||mdocu.activeElement.type==\"textarea\"||mdocu.activeElement."
    "type==\"password\")\r\r\n",
};
constexpr std::string_view kTail = "</SCRIPT>\r\n";

bool NeedsFullEscapes(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = GbkCharLength(text, i);
        char c = text[i];
        if (IsBrokenChar(text, i, length)) return true;
        if (length == 1) {
            if (c == '\\' || c == '<' || c == kEndOfFile || c == kLf) return true;
            if (c == kCr && (i + 1 >= text.size() || text[i + 1] != kLf)) return true;
        }
        i += (length == 1 && c == kCr) ? 2 : length;  // a CR here is followed by its LF
    }
    return false;
}

std::string HexEscape(unsigned char byte) {
    const char* digits = "0123456789ABCDEF";
    return std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
}

std::string PlainLiteral(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = GbkCharLength(text, i);
        if (length == 1 && text[i] == kCr && i + 1 < text.size() && text[i + 1] == kLf) {
            out += "\\n";
            i += 2;
            continue;
        }
        if (length == 1 && text[i] == '"') out += '\\';
        out.append(text.substr(i, length));
        i += length;
    }
    return out + "\"";
}

std::string EscapedLiteral(std::string_view text) {
    std::string out = "'";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = GbkCharLength(text, i);
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsBrokenChar(text, i, length)) {
            out += HexEscape(byte);
        } else if (length == 2) {
            out.append(text.substr(i, 2));
        } else if (byte == kCr && i + 1 < text.size() && text[i + 1] == kLf) {
            out += "\\n";
            ++i;
        } else if (byte == kCr) {
            out += "\\r";
        } else if (byte == kLf || byte == '<' || byte == kEndOfFile) {
            out += HexEscape(byte);
        } else if (byte == '\\' || byte == '\'') {
            out += '\\';
            out += char(byte);
        } else {
            out += char(byte);
        }
        i += length;
    }
    return out + "'";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The double-quoted form, read as it always was: first \n and \N become
// CR LF, then \" becomes ". Any other backslash stays as it is.
std::string UnescapePlain(std::string_view raw) {
    std::string lines;
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t length = GbkCharLength(raw, i);
        if (length == 1 && raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == 'N')) {
            lines += "\r\n";
            i += 2;
            continue;
        }
        lines.append(raw.substr(i, length));
        i += length;
    }
    std::string out;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t length = GbkCharLength(lines, i);
        if (length == 1 && lines[i] == '\\' && i + 1 < lines.size() && lines[i + 1] == '"') {
            out += '"';
            i += 2;
            continue;
        }
        out.append(lines.substr(i, length));
        i += length;
    }
    return out;
}

// The single-quoted form: the escapes EscapedLiteral writes; any other
// escaped character stands for itself, as in JavaScript.
std::string UnescapeFull(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t length = GbkCharLength(raw, i);
        if (length != 1 || raw[i] != '\\' || i + 1 >= raw.size()) {
            out.append(raw.substr(i, length));
            i += length;
            continue;
        }
        char next = raw[i + 1];
        if (next == 'n') {
            out += "\r\n";
            i += 2;
        } else if (next == 'r') {
            out += kCr;
            i += 2;
        } else if (next == 'x' && i + 3 < raw.size() && HexValue(raw[i + 2]) >= 0 && HexValue(raw[i + 3]) >= 0) {
            out += char(HexValue(raw[i + 2]) * 16 + HexValue(raw[i + 3]));
            i += 4;
        } else {
            std::size_t escaped = GbkCharLength(raw, i + 1);
            out.append(raw.substr(i + 1, escaped));
            i += 1 + escaped;
        }
    }
    return out;
}

// The value of one line, if it carries the marker.
bool LineValue(std::string_view line, std::string& value) {
    std::string upper = FoldAsciiCase(line);
    for (std::size_t p = 0; p + kMarker.size() <= upper.size(); p += GbkCharLength(upper, p)) {
        if (std::string_view(upper).substr(p, kMarker.size()) != kMarker) continue;
        // From after the opening quote to before the closing quote and semicolon.
        std::size_t begin = p + kMarker.size() + 1;
        std::string_view raw = begin + 2 <= line.size() ? line.substr(begin, line.size() - 2 - begin) : std::string_view();
        bool singleQuoted = p + kMarker.size() < line.size() && line[p + kMarker.size()] == '\'';
        value = singleQuoted ? UnescapeFull(raw) : UnescapePlain(raw);
        return true;
    }
    return false;
}

}  // namespace

std::size_t GbkCharLength(std::string_view text, std::size_t at) {
    if (at + 1 < text.size() && IsLead(static_cast<unsigned char>(text[at])) &&
        IsTrail(static_cast<unsigned char>(text[at + 1]))) {
        return 2;
    }
    return 1;
}

std::string FoldAsciiCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += GbkCharLength(out, i)) {
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = char(out[i] - 'a' + 'A');
    }
    return out;
}

bool HasBackslash(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += GbkCharLength(text, i)) {
        if (text[i] == '\\') return true;
    }
    return false;
}

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string FillTextLiteral(std::string_view text) {
    return NeedsFullEscapes(text) ? EscapedLiteral(text) : PlainLiteral(text);
}

std::string MenuScriptBytes(std::string_view text) {
    std::string bytes;
    for (std::string_view line : kHead) bytes += line;
    bytes += "mrange.text=" + FillTextLiteral(text) + ";\r\r\n";
    bytes += kTail;
    return bytes;
}

std::string ParseMenuScript(std::string_view bytes) {
    if (std::size_t end = bytes.find(kEndOfFile); end != std::string_view::npos) bytes = bytes.substr(0, end);
    std::string result;
    std::string line;
    auto finishLine = [&] {
        std::string value;
        if (LineValue(line, value)) result = std::move(value);
        line.clear();
    };
    for (char c : bytes) {
        if (c == kLf) {
            finishLine();
        } else if (c != kCr) {
            line += c;
        }
    }
    if (!line.empty()) finishLine();
    return result;
}

}  // namespace pennora
