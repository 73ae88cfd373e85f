#pragma once
// Paths of the build tree as a Windows program under Wine sees them: the Unix
// root is drive Z:.
#include <string>

namespace pennora::testing {

inline std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
}

}  // namespace pennora::testing
