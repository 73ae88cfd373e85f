#pragma once
// The text matrix page's fields between the settings file and the controls.
// The font list is slow to build (the system enumerates every installed
// family), so the page builds it only when it is first shown, or at close
// when FontIndex must be stored; until then the stored index waits in
// StoredMatrixFields (ui/Settings.h).
#include <optional>

#include "ui/Settings.h"

namespace pennora {

// The entry of a font list of `fontCount` names that the font box selects at
// start: the last entry, then the stored index. An index outside the list
// leaves nothing selected (-1), as the combo box does.
int StartFontSelection(std::optional<int> storedIndex, int fontCount);

}  // namespace pennora
