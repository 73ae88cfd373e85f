#pragma once
// The seam to user32's global hot keys and to the global atom that names the
// tool's hot key. The Win32 face forwards each call to the function of that
// name; tests/fakes records them.
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace pennora {

class HotKeyApi {
public:
    virtual ~HotKeyApi() = default;

    // The atom of a string (0xC000 to 0xFFFF), the same value for the same
    // string as long as the atom exists; 0 on failure.
    virtual std::uint16_t GlobalAddAtomA(const std::string& name) = 0;
    // Non-zero (true) on success; false when the combination cannot be
    // registered, e.g. because another program holds it.
    virtual bool RegisterHotKey(Hwnd window, int id, unsigned modifiers, unsigned virtualKey) = 0;
    virtual bool UnregisterHotKey(Hwnd window, int id) = 0;
};

inline constexpr const char* kHotKeyAtomName = "Pennora";
inline constexpr unsigned kMinStringAtom = 0xC000;

// The identifier under which the main window registers its one hot key. It is
// taken anew from the atom before every register and unregister; as the atom
// is never deleted, the value stays the same for the whole run. String atoms
// lie in 0xC000..0xFFFF, so the identifier lies in 0x0000..0x3FFF, inside the
// range RegisterHotKey allows an application.
inline int HotKeyId(HotKeyApi& api) { return int(api.GlobalAddAtomA(kHotKeyAtomName)) - int(kMinStringAtom); }

}  // namespace pennora
