// The settings-file value parser on arbitrary bytes: it must not crash, and any
// number it finds must read back the same from its decimal form, as the tool
// writes numbers. The quoting of written strings must keep every byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (auto number = pennora::ParseProfileInteger(text)) {
        if (pennora::ParseProfileInteger(std::to_string(*number)) != number) std::abort();
    }

    const std::string encoded = pennora::EncodeProfileString(text);
    if (encoded != text && encoded != "\"" + std::string(text) + "\"") std::abort();
    return 0;
}
