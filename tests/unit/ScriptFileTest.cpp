#include "browser/ScriptFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pennora {
namespace {

// The seven fixed lines around line 7.
const std::string kHead =
    "<SCRIPT LANGUAGE=\"JavaScript\" defer>\r\n"
    "var pwin=external.menuArguments; \r\r\n"
    "var mdocu=pwin.document;\r\r\n"
    "var mselect=mdocu.selection;\r\r\n"
    "var mrange=mselect.createRange();\r\r\n"
    "if (mdocu.activeElement.type==\"text\"||mdocu.activeElement.type==\"textarea\"||mdocu.activeElement.type=="
    "\"password\")\r\r\n";
const std::string kTail = "</SCRIPT>\r\n";

std::string FileWithLine7(const std::string& line7) { return kHead + line7 + "\r\r\n" + kTail; }

TEST(ScriptFileTest, WritesTheEightLinesByteForByte) {
    EXPECT_EQ(MenuScriptBytes("ab\r\ncd"), FileWithLine7("mrange.text=\"ab\\ncd\";"));
}

struct Literal {
    const char* name;
    std::string text;
    std::string literal;
};

// Texts that need only \n and \" keep the double-quoted form; anything a
// browser would misread goes single-quoted with full escapes.
const Literal kLiterals[] = {
    {"line break", "ab\r\ncd", "\"ab\\ncd\""},
    {"double quotes", "say \"hi\"", "\"say \\\"hi\\\"\""},
    {"GBK text", "北京市海淀区", "\"北京市海淀区\""},
    {"second byte 0x5C stays", "\x81\x5C\x95\x5C", "\"\x81\x5C\x95\x5C\""},
    {"single quote in plain form", "it's", "\"it's\""},
    {"backslash before n", "C:\\new", "'C:\\\\new'"},
    {"trailing backslash", "end\\", "'end\\\\'"},
    {"lone LF and CR", "a\nb\rc\r\n", "'a\\x0Ab\\rc\\n'"},
    {"closing tag", "</SCRIPT>", "'\\x3C/SCRIPT>'"},
    {"quotes with a backslash", "\\'\"", "'\\\\\\'\"'"},
    {"end-of-file byte", "a\x1A", "'a\\x1A'"},
    {"lead byte before a quote", "\x81\"", "'\\x81\"'"},
};

TEST(ScriptFileTest, EscapesEachTextForItsLiteral) {
    for (const Literal& c : kLiterals) EXPECT_EQ(FillTextLiteral(c.text), c.literal) << c.name;
}

struct Reading {
    const char* name;
    std::string file;
    std::string text;
};

const Reading kReadings[] = {
    {"marker in mixed case, anywhere in the line", "  MRange.Text=\"x\";\r\n", "x"},
    {"last marker line wins", "mrange.text=\"one\";\r\nmrange.text=\"two\";\r\n", "two"},
    {"nothing after the marker", "mrange.text=\r\n", ""},
    {"0x1A ends the file", "mrange.text=\"a\";\r\n\x1Amrange.text=\"b\";\r\n", "a"},
    {"stray CRs are dropped", "mrange.te\rxt=\"a\rb\";\r\r\n", "ab"},
    {"last line without LF", "mrange.text=\"z\";", "z"},
    {"no marker", "<SCRIPT>\r\n</SCRIPT>\r\n", ""},
    {"\\n and \\N become line breaks", "mrange.text=\"C:\\new\\N\";\r\n", "C:\r\new\r\n"},
    {"\\\" becomes a quote, other backslashes stay", "mrange.text=\"\\\"\\t\";\r\n", "\"\\t"},
    {"second byte 0x5C is no backslash", "mrange.text=\"\x81\x5Cn\";\r\n", "\x81\x5Cn"},
    {"a marker starting on a second byte is none", "mrange.text=\"a\";\n\x81mrange.text=\"b\";\n", "a"},
    {"single-quoted form", "mrange.text='C:\\\\new\\x0A\\r\\x3C/\\'';\r\n", "C:\\new\n\r</'"},
};

TEST(ScriptFileTest, ReadsTheValueOfTheLastMarkerLine) {
    for (const Reading& c : kReadings) EXPECT_EQ(ParseMenuScript(c.file), c.text) << c.name;
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    return hex;
}

// Every text reads back whole, and a JavaScript engine running the file
// inserts exactly that text (CR LF as one line break).
TEST(ScriptFileTest, ABrowserInsertsTheTextAndTheReaderGetsItBack) {
    std::vector<std::string> texts = {"", "ab\r\ncd", "北京市海淀区\r\n邮编 100080", "\x81\x5C\x95\x5C\"\\n"};
    for (const Literal& c : kLiterals) {
        if (c.text.find("\x81\"") == std::string::npos) texts.push_back(c.text);  // broken GBK has no one reading
    }
    texts.push_back("<!--<script>\r\n</script>");
    const auto folder = std::filesystem::temp_directory_path() / ("pennora-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string check = std::string(PENNORA_SOURCE_DIR) + "/tests/programs/check_script.js";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string bytes = MenuScriptBytes(texts[i]);
        EXPECT_EQ(ParseMenuScript(bytes), texts[i]) << i;
        const auto file = folder / (std::to_string(i) + ".htm");
        std::ofstream(file, std::ios::binary) << bytes;
        const std::string command = "node '" + check + "' '" + file.string() + "' '" + Hex(texts[i]) + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << "text " << i << ": " << command;
    }
    std::filesystem::remove_all(folder);
}

TEST(ScriptFileTest, NamesAreComparedByCharacterAndTrimmedOfControlBytes) {
    EXPECT_TRUE(HasBackslash("a\\b"));
    EXPECT_FALSE(HasBackslash("\x81\x5C"));  // a GBK character, not a path separator
    EXPECT_EQ(FoldAsciiCase("ab\x81" "a"), "AB\x81" "a");
    EXPECT_EQ(TrimBlanks(" \t\r\nx y\x01 "), "x y");
}

}  // namespace
}  // namespace pennora
