#pragma once
#include "platform/TextCodec.h"

namespace pennora {

// Through UTF-16 with MultiByteToWideChar and WideCharToMultiByte (CP_ACP,
// CP_UTF8). A conversion counts only when its result converts back to the
// very text it came from, so nothing is silently replaced.
class Win32TextCodec final : public TextCodec {
public:
    bool AnsiToUtf8(std::string_view ansi, std::string& utf8) override;
    bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) override;
};

}  // namespace pennora
