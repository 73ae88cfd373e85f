#pragma once
// The browser context-menu entries kept outside the tool: one key per entry
// under HKEY_CURRENT_USER's MenuExt key, marked as the tool's own by its
// "Contexts" value 1364, whose default value names a script file that holds
// the fill text. Every operation opens and closes its own keys and files.
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/FolderApi.h"
#include "platform/Registry.h"
#include "platform/Types.h"
#include "platform/WindowsInput.h"

namespace pennora {

// The parent key, relative to HKEY_CURRENT_USER.
inline constexpr const char* kMenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr unsigned kMenuContexts = 1364;
inline constexpr const char* kContextsValue = "Contexts";
inline constexpr const char* kSupportAddress = "support@kestova.example";

// What a save did. `refusedPosition` names the entry a refusal is about.
struct MenuSaveResult {
    enum class Outcome { Saved, Refused, Failed } outcome = Outcome::Saved;
    std::string message;  // why it was refused or failed, naming the entry, key or file
    int refusedPosition = -1;
    std::vector<std::string> writtenNames;  // on success: the keys that now exist, in list order
    // On success, per position: the index in writtenNames of the key that
    // holds it, or -1 (no name or text, or a later entry of its name won).
    std::vector<int> writtenOrigins;
};

class MenuStore {
public:
    // `appWindow` owns the load's message boxes, captioned `appTitle` for
    // an unreadable script file.
    MenuStore(Registry& registry, FileSystem& files, FolderApi& folders, MessageBoxes& boxes, Hwnd appWindow,
              std::string appTitle);

    // Appends the tool's own entries with a non-empty text, in the order the
    // registry lists the keys.
    void LoadIEMenus(std::vector<std::string>& names, std::vector<std::string>& texts);

    // The fill text of the entry key `name` if the key is the tool's own,
    // else "". A listed key that cannot be opened shows the "Error：" box; a
    // script file that may exist but cannot be read is reported by name.
    std::string ReadIEMenuText(const std::string& name);

    // The fill text in the script file at `path`, "" when there is none.
    std::string ReadMenuScriptText(const std::string& path);

    // Writes the script file for `text`; replaces an existing file only once
    // the new one is complete. An empty result on success, else the reason.
    FileError WriteMenuScript(const std::string& text, const std::string& path);

    // Writes the set: one key and script file "<folder><position>.htm" for
    // each position whose name and text hold more than blanks; removes the
    // keys of `oldNames` that are no longer used. `origins[i]` is the index
    // in `oldNames` that position i was loaded as, or -1.
    // Names are compared as the registry compares them (letter case ignored
    // over all of Unicode). Names with a backslash and names of another
    // program's key are refused before anything is touched. At every step
    // each entry is in the registry under its old or its new name (an
    // exchange of names passes through a temporary key), and no key points to
    // a file that is being rewritten. The tool's keys that are neither old nor
    // new names (entries the load passed over) keep their script files: a
    // position whose file one of them names is written to a number past the
    // list. Any failure ends the save with the reason.
    MenuSaveResult SaveIEMenus(const std::vector<std::string>& oldNames, const std::vector<int>& origins,
                               const std::vector<std::string>& names, const std::vector<std::string>& texts,
                               const std::string& scriptFolder);

private:
    class Save;
    enum class KeyRead { NotOpened, NotOwn, Own };
    // Opens the entry key `name`; for the tool's own key, `scriptPath` is the
    // path its default value names ("" when it names none).
    KeyRead ReadEntryKey(const std::string& name, std::string& scriptPath);
    bool IsOwnKey(HKey key);

    Registry& registry_;
    FileSystem& files_;
    FolderApi& folders_;
    MessageBoxes& boxes_;
    Hwnd appWindow_;
    std::string appTitle_;
};

// "Error：" CR "未知的错误。请与软件开发者联系：" address " 。"
std::string UnknownErrorText();

}  // namespace pennora
