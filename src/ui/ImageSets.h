#pragma once
// Bitmaps are drawn for a few display scales, each set from the same
// drawings (never enlarged at run time, which would blur them). A window shows
// the largest set that is not bigger than its own scale; between two scales
// the picture keeps the smaller set's size, centred in its scaled place.
#include <string>

#include "ui/DpiScale.h"

namespace pennora {

// The scales in percent of the 96-DPI size that sets are drawn for, smallest
// first; the first is the design size itself.
inline constexpr int kImageSetScales[] = {100, 125, 150, 200};

// The scale of the set for a window at `dpi`.
constexpr int ImageSetScale(int dpi) {
    int chosen = kImageSetScales[0];
    for (int scale : kImageSetScales) {
        if (scale * kDesignDpi <= detail::UsableDpi(dpi) * 100) chosen = scale;
    }
    return chosen;
}

// The resource name of `baseName`'s set at `scale`: the base name for the
// design size, "<base>_<percent>" for the others.
inline std::string ImageSetName(const std::string& baseName, int scale) {
    return scale == kImageSetScales[0] ? baseName : baseName + "_" + std::to_string(scale);
}

}  // namespace pennora
