#include "ui/Settings.h"

#include <utility>

namespace pennora {

std::uint16_t ShiftToModifiers(ShiftState state) {
    return std::uint16_t((state.shift ? kModShift : 0) | (state.ctrl ? kModControl : 0) | (state.alt ? kModAlt : 0));
}

ShiftState ModifiersToShift(std::uint16_t modifiers) {
    return {.shift = (modifiers & kModShift) != 0,
            .ctrl = (modifiers & kModControl) != 0,
            .alt = (modifiers & kModAlt) != 0};
}

Settings LoadSettings(IniFile& file) {
    const Settings defaults;
    Settings s;
    s.Shift = std::uint16_t(file.ReadInteger(ini::kHotKey, ini::kShift, defaults.Shift));
    s.Key = std::uint16_t(file.ReadInteger(ini::kHotKey, ini::kKey, defaults.Key));
    s.MinimizeWhenHotKey = file.ReadBool(ini::kOptions, ini::kMinimizeWhenHotKey, defaults.MinimizeWhenHotKey);
    s.MinimizeWhenStartup = file.ReadBool(ini::kOptions, ini::kMinimizeWhenStartup, defaults.MinimizeWhenStartup);
    s.MinimizeWhenDrag = file.ReadBool(ini::kOptions, ini::kMinimizeWhenDrag, defaults.MinimizeWhenDrag);
    s.AutoStartDragFill = file.ReadBool(ini::kOptions, ini::kAutoStartDragFill, defaults.AutoStartDragFill);
    s.AutoStartHotKey = file.ReadBool(ini::kOptions, ini::kAutoStartHotKey, defaults.AutoStartHotKey);
    s.TabToNextField = file.ReadBool(ini::kOptions, ini::kTabToNextField, defaults.TabToNextField);
    return s;
}

void WriteOptions(IniFile& file, const Settings& s) {
    file.WriteBool(ini::kOptions, ini::kMinimizeWhenHotKey, s.MinimizeWhenHotKey);
    file.WriteBool(ini::kOptions, ini::kMinimizeWhenStartup, s.MinimizeWhenStartup);
    file.WriteBool(ini::kOptions, ini::kMinimizeWhenDrag, s.MinimizeWhenDrag);
    file.WriteBool(ini::kOptions, ini::kAutoStartDragFill, s.AutoStartDragFill);
    file.WriteBool(ini::kOptions, ini::kAutoStartHotKey, s.AutoStartHotKey);
    file.WriteBool(ini::kOptions, ini::kTabToNextField, s.TabToNextField);
    file.WriteInteger(ini::kHotKey, ini::kShift, s.Shift);
    file.WriteInteger(ini::kHotKey, ini::kKey, s.Key);
}

StoredMatrixFields ReadMatrixFields(IniFile& file) {
    StoredMatrixFields fields;
    fields.FontIndex = ParseProfileInteger(file.ReadString(ini::kChineseGroup, ini::kFontIndex, ""));
    fields.FrontText = file.ReadString(ini::kChineseGroup, ini::kFrontText, kDefaultFrontText);
    fields.FillText = file.ReadString(ini::kChineseGroup, ini::kFillText, kDefaultFillText);
    fields.BackText = file.ReadString(ini::kChineseGroup, ini::kBackText, kDefaultBackText);
    return fields;
}

ChineseGroup ReadChineseGroup(IniFile& file, int fontCount) {
    StoredMatrixFields stored = ReadMatrixFields(file);
    return {stored.FontIndex.value_or(fontCount - 1), std::move(stored.FrontText), std::move(stored.FillText),
            std::move(stored.BackText)};
}

void WriteChineseGroup(IniFile& file, const ChineseGroup& g) {
    file.WriteInteger(ini::kChineseGroup, ini::kFontIndex, g.FontIndex);
    if (!g.FrontText.empty()) file.WriteString(ini::kChineseGroup, ini::kFrontText, g.FrontText);
    if (!g.FillText.empty()) file.WriteString(ini::kChineseGroup, ini::kFillText, g.FillText);
    file.WriteString(ini::kChineseGroup, ini::kBackText, g.BackText);
}

Point ReadPosition(IniFile& file, Point defaults) {
    return {file.ReadInteger(ini::kPosition, ini::kLeft, defaults.x), file.ReadInteger(ini::kPosition, ini::kTop, defaults.y)};
}

void WritePosition(IniFile& file, Point position) {
    file.WriteInteger(ini::kPosition, ini::kLeft, position.x);
    file.WriteInteger(ini::kPosition, ini::kTop, position.y);
}

Point ReadStartPosition(IniFile& file, Point current) {
    return {file.ReadInteger(ini::kStartPosition, ini::kX, current.x),
            file.ReadInteger(ini::kStartPosition, ini::kY, current.y)};
}

}  // namespace pennora
