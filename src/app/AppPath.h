#pragma once
#include <string>

namespace pennora {

// The directory of an executable's full path, with its trailing backslash.
std::string AppPathOf(const std::string& executablePath);

}  // namespace pennora
