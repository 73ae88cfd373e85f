#pragma once
// The script file behind a browser context-menu entry: eight lines that put
// a fixed text into the page's focused field, and the reader that gets the
// text back. Texts are GBK bytes; every search and replacement walks whole
// characters, so a second byte 0x5C is never taken for a backslash.
#include <cstddef>
#include <string>
#include <string_view>

namespace pennora {

// Bytes of the GBK character that starts at `at`: 2 for a lead byte
// (0x81-0xFE) followed by a trail byte (0x40-0x7E, 0x80-0xFE), else 1.
std::size_t GbkCharLength(std::string_view text, std::size_t at);

// ASCII letters upper-cased, other characters (and trail bytes) unchanged.
std::string FoldAsciiCase(std::string_view text);

// Whether `text` holds a backslash character (not a second byte 0x5C).
bool HasBackslash(std::string_view text);

// Leading and trailing bytes 0 to 32 removed.
std::string_view TrimBlanks(std::string_view text);

// The JavaScript string literal that line 7 assigns. Texts made only of
// characters the plain form carries are written as a double-quoted literal
// with CR LF as \n and " as \" (the long-standing format). Any other text -
// one with a backslash, '<', a lone CR or LF, 0x1A or a broken double-byte
// character - is written as a single-quoted literal with full escapes, so a
// browser's string equals the text and no "</SCRIPT>" can end the block.
std::string FillTextLiteral(std::string_view text);

// The whole file: eight lines, lines 2 to 7 ending CR CR LF.
std::string MenuScriptBytes(std::string_view text);

// The fill text in a script file: the value on the last line holding
// "mrange.text=" (any letter case), or "" when there is none. Lines end at
// LF, other CRs are dropped, 0x1A ends the file.
std::string ParseMenuScript(std::string_view bytes);

}  // namespace pennora
