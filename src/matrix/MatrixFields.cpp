#include "matrix/MatrixFields.h"

namespace pennora {

int StartFontSelection(std::optional<int> storedIndex, int fontCount) {
    const int index = storedIndex.value_or(fontCount - 1);
    return index >= 0 && index < fontCount ? index : -1;
}

}  // namespace pennora
