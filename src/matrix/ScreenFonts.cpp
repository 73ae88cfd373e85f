#include "matrix/ScreenFonts.h"

#include <algorithm>
#include <cctype>

namespace pennora {
namespace {

int CompareIgnoringCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

std::vector<std::string> BuildScreenFontList(const std::vector<std::string>& enumeratedFamilies) {
    std::vector<std::string> fonts{"Default"};
    for (const auto& family : enumeratedFamilies) {
        if (CompareIgnoringCase(family, fonts.back()) != 0) fonts.push_back(family);
    }
    std::stable_sort(fonts.begin(), fonts.end(),
                     [](const std::string& a, const std::string& b) { return CompareIgnoringCase(a, b) < 0; });
    return fonts;
}

}  // namespace pennora
