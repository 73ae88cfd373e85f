#include "matrix/MatrixFields.h"

namespace pennora {

StoredMatrixFields ReadMatrixFields(IniFile& file) {
    StoredMatrixFields fields;
    fields.FontIndex = ParseProfileInteger(file.ReadString(ini::kChineseGroup, ini::kFontIndex, ""));
    fields.FrontText = file.ReadString(ini::kChineseGroup, ini::kFrontText, kDefaultFrontText);
    fields.FillText = file.ReadString(ini::kChineseGroup, ini::kFillText, kDefaultFillText);
    fields.BackText = file.ReadString(ini::kChineseGroup, ini::kBackText, kDefaultBackText);
    return fields;
}

int StartFontSelection(std::optional<int> storedIndex, int fontCount) {
    const int index = storedIndex.value_or(fontCount - 1);
    return index >= 0 && index < fontCount ? index : -1;
}

}  // namespace pennora
