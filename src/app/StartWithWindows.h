#pragma once
// The program's value under the current user's Run key, which makes Windows
// start the program when the user logs on. Only the value named kRunValueName
// is ever read, written or deleted; the other values of the key belong to
// other programs. The value may point at another copy of the program (another
// folder): it is then shown as that copy's and left alone unless the user
// asks for this copy.
#include <functional>
#include <string>

#include "platform/Registry.h"

namespace pennora {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Pennora";

enum class AutoRunOwner {
    None,        // no value: Windows does not start the program
    ThisCopy,    // the value starts this executable
    OtherCopy,   // the value starts something else, named in `path`
    Unreadable,  // the key or value could not be read: `error` holds the code
};

struct AutoRunState {
    AutoRunOwner owner = AutoRunOwner::None;
    std::string path;  // the executable the value starts (OtherCopy, ThisCopy)
    long error = kErrorSuccess;
    bool operator==(const AutoRunState&) const = default;
};

// The executable a Run command starts: the text inside its leading quotes, or
// the whole command when it is not quoted. Terminating zeros and blanks
// around it are dropped.
std::string AutoRunTarget(const std::string& command);

// A code kept apart from the registry's: the executable's path is unknown or
// holds a "?", which no file name can hold, so the ANSI name lost a character
// outside the code page and the program cannot write its real path.
inline constexpr long kAutoRunPathNotAnsi = -1;

class StartWithWindows {
public:
    // Expands the %NAME% references of a command as Windows does when it
    // starts an expandable (REG_EXPAND_SZ) value.
    using Expander = std::function<std::string(const std::string&)>;

    // `executablePath`: the full path of this copy's executable, in the ANSI
    // code page. `registry` must outlive the object. Without `expand`, an
    // expandable value is compared as written.
    StartWithWindows(Registry& registry, std::string executablePath, Expander expand = {});

    // The value as it is now in the registry.
    AutoRunState Read();

    // On: makes the value start this copy (replacing another copy's). Off:
    // deletes the value when it starts this copy; another copy's stays. Does
    // nothing when the value already is as asked. kErrorSuccess or the code
    // of the call that failed.
    long Apply(bool on);

    // The command written: the executable's path in quotes.
    std::string Command() const { return "\"" + executablePath_ + "\""; }
    const std::string& ExecutablePath() const { return executablePath_; }

private:
    Registry& registry_;
    std::string executablePath_;
    Expander expand_;
};

// What the user is told when Apply failed, for a given code.
std::string AutoRunFailureText(bool on, long code);

// The note under the check box for a state read from the registry: empty when
// there is nothing to say (no value, or this copy's).
std::string AutoRunNote(const AutoRunState& state);

}  // namespace pennora
