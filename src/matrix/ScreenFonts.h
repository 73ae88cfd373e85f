#pragma once
#include <string>
#include <vector>

namespace pennora {

// The screen font list: "Default" first, then the family names in the order
// the system enumerates them, a name equal (ignoring case) to the one added
// just before it skipped, the whole list then sorted ignoring case.
std::vector<std::string> BuildScreenFontList(const std::vector<std::string>& enumeratedFamilies);

}  // namespace pennora
