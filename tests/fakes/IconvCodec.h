#pragma once
// The code page conversion of the host: GBK <-> UTF-8 through iconv, so the
// native tests and fuzz targets convert real Chinese text as the product does.
#include <iconv.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace pennora::fakes {

class IconvCodec final : public TextCodec {
public:
    bool AnsiToUtf8(std::string_view ansi, std::string& utf8) override { return Convert("UTF-8", "GBK", ansi, utf8); }
    bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) override { return Convert("GBK", "UTF-8", utf8, ansi); }

private:
    static bool Convert(const char* to, const char* from, std::string_view text, std::string& out) {
        iconv_t converter = iconv_open(to, from);
        if (converter == reinterpret_cast<iconv_t>(-1)) return false;
        std::string result(text.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* next = result.data();
        std::size_t outLeft = result.size();
        const bool whole = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
        iconv_close(converter);
        if (!whole) return false;
        result.resize(result.size() - outLeft);
        out = std::move(result);
        return true;
    }
};

}  // namespace pennora::fakes
