#pragma once
// The keys of the settings file, the in-memory settings the main window keeps,
// and the readers and writers of each group of keys.
#include <cstdint>
#include <optional>
#include <string>

#include "ui/IniFile.h"
#include "platform/Types.h"

namespace pennora {

// Sections and keys of Pennora.Ini.
inline constexpr const char* kSettingsFileName = "Pennora.Ini";
namespace ini {
inline constexpr const char* kHotKey = "HotKey";
inline constexpr const char* kShift = "Shift";
inline constexpr const char* kKey = "Key";
inline constexpr const char* kOptions = "Options";
inline constexpr const char* kMinimizeWhenHotKey = "MinimizeWhenHotKey";
inline constexpr const char* kMinimizeWhenStartup = "MinimizeWhenStartup";
inline constexpr const char* kMinimizeWhenDrag = "MinimizeWhenDrag";
inline constexpr const char* kAutoStartDragFill = "AutoStartDragFill";
inline constexpr const char* kAutoStartHotKey = "AutoStartHotKey";
inline constexpr const char* kTabToNextField = "TabToNextField";
inline constexpr const char* kChineseGroup = "ChineseGroup";
inline constexpr const char* kFontIndex = "FontIndex";
inline constexpr const char* kFrontText = "FrontText";
inline constexpr const char* kFillText = "FillText";
inline constexpr const char* kBackText = "BackText";
inline constexpr const char* kPosition = "Position";
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kTop = "Top";
inline constexpr const char* kStartPosition = "StartPosition";
inline constexpr const char* kX = "X";
inline constexpr const char* kY = "Y";
}  // namespace ini

// Modifier flags as RegisterHotKey and the settings file take them.
inline constexpr std::uint16_t kModAlt = 1;
inline constexpr std::uint16_t kModControl = 2;
inline constexpr std::uint16_t kModShift = 4;
inline constexpr std::uint16_t kVkV = 0x56;

// The shift set of a key combination as the hot-key capture control holds it.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool operator==(const ShiftState&) const = default;
};

// Sum of the modifier flags of the set's members.
std::uint16_t ShiftToModifiers(ShiftState state);
// The set of the Shift, Ctrl and Alt flags in `modifiers`; other bits
// (such as MOD_WIN 8) are dropped.
ShiftState ModifiersToShift(std::uint16_t modifiers);

// The settings read once at start-up and kept in memory under the key names.
struct Settings {
    std::uint16_t Shift = kModAlt | kModShift;  // modifier flags of the hot key
    std::uint16_t Key = kVkV;                   // virtual-key code of the hot key
    bool MinimizeWhenHotKey = false;
    bool MinimizeWhenStartup = false;
    bool MinimizeWhenDrag = true;
    bool AutoStartDragFill = false;
    bool AutoStartHotKey = false;
    bool TabToNextField = false;  // a Tab in a content moves on to the target's next field
    bool operator==(const Settings&) const = default;
};

// Reads the HotKey and Options keys in the order Shift, Key, MinimizeWhenHotKey,
// MinimizeWhenStartup, MinimizeWhenDrag, AutoStartDragFill, AutoStartHotKey,
// TabToNextField;
// Shift and Key keep the low 16 bits of the value read.
Settings LoadSettings(IniFile& file);
// Writes the six Options keys, then HotKey/Shift and HotKey/Key.
void WriteOptions(IniFile& file, const Settings& settings);

// The text matrix page's fields as stored in the ChineseGroup section.
struct ChineseGroup {
    int FontIndex = 0;
    std::string FrontText;
    std::string FillText;
    std::string BackText;
    bool operator==(const ChineseGroup&) const = default;
};

inline constexpr const char* kDefaultFrontText = "水";
inline constexpr const char* kDefaultFillText = "灌";
inline constexpr const char* kDefaultBackText = "\xA1\xA1";  // the ideographic space U+3000 in GBK

// ChineseGroup as stored: the texts with the defaults of a fresh
// installation, FontIndex only when the file holds a number for it (the font
// list it indexes is built later, when the matrix page is first shown).
struct StoredMatrixFields {
    std::optional<int> FontIndex;
    std::string FrontText;
    std::string FillText;
    std::string BackText;
};
StoredMatrixFields ReadMatrixFields(IniFile& file);

// Reads ChineseGroup; FontIndex defaults to the last entry of a font list of
// `fontCount` names. The index is returned as stored, even when out of range.
ChineseGroup ReadChineseGroup(IniFile& file, int fontCount);
// Writes ChineseGroup as the close sequence does: FontIndex, FrontText and
// FillText only when not empty (an emptied field keeps its stored value), and
// BackText always, empty or not.
void WriteChineseGroup(IniFile& file, const ChineseGroup& group);

// The drag-fill window's built-in position.
inline constexpr Point kDragFillDesignPosition{364, 164};

// Position/Left and Position/Top, the drag-fill window's place at the last
// close; `defaults` is the window's built-in position.
Point ReadPosition(IniFile& file, Point defaults);
void WritePosition(IniFile& file, Point position);
// StartPosition/X and StartPosition/Y, read each time the drag-fill window is
// shown with its current place as defaults; the program never writes them.
Point ReadStartPosition(IniFile& file, Point current);

}  // namespace pennora
