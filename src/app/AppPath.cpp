#include "app/AppPath.h"

namespace pennora {

std::string AppPathOf(const std::string& executablePath) {
    size_t slash = executablePath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

}  // namespace pennora
