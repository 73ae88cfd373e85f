#pragma once
// The seam to the conversion between the ANSI code page, in which the tool
// holds every text, and UTF-8, in which text files are exchanged with other
// programs.
#include <string>
#include <string_view>

namespace pennora {

class TextCodec {
public:
    virtual ~TextCodec() = default;
    // False when `ansi` holds bytes that are no text of the code page.
    virtual bool AnsiToUtf8(std::string_view ansi, std::string& utf8) = 0;
    // `utf8` is valid UTF-8; false when one of its characters has no place
    // in the code page (nothing is replaced by a look-alike or a '?').
    virtual bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) = 0;
};

}  // namespace pennora
