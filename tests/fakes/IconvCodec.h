#pragma once
// The code page conversion of the host: GBK <-> UTF-8 through iconv, so the
// native tests and fuzz targets convert real Chinese text as the product does.
#include <iconv.h>

#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace pennora::fakes {

class IconvCodec final : public TextCodec {
public:
    IconvCodec() : toUtf8_(iconv_open("UTF-8", "GBK")), toGbk_(iconv_open("GBK", "UTF-8")) {}
    ~IconvCodec() override {
        iconv_close(toUtf8_);
        iconv_close(toGbk_);
    }
    IconvCodec(const IconvCodec&) = delete;
    IconvCodec& operator=(const IconvCodec&) = delete;

    bool AnsiToUtf8(std::string_view ansi, std::string& utf8) override { return Convert(toUtf8_, ansi, utf8); }
    bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) override { return Convert(toGbk_, utf8, ansi); }

private:
    static bool Convert(iconv_t converter, std::string_view text, std::string& out) {
        iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        std::string result(text.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* next = result.data();
        std::size_t outLeft = result.size();
        if (iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return false;
        result.resize(result.size() - outLeft);
        out = std::move(result);
        return true;
    }

    iconv_t toUtf8_;
    iconv_t toGbk_;
};

}  // namespace pennora::fakes
