#include "browser/MenuStore.h"

#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "browser/ScriptFile.h"
#include "ui/ErrorText.h"

namespace pennora {
namespace {

constexpr unsigned kMbIconError = 0x10;

std::string EntryKey(const std::string& name) { return std::string(kMenuExtKey) + "\\" + name; }

std::string DwordBytes(unsigned value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// Text data as stored, without its terminating zero.
std::string StringData(const std::string& data) { return data.substr(0, std::strlen(data.c_str())); }

// A save step that failed: the reason, for the user.
struct SaveFailure {
    std::string message;
};

std::string KeyFailure(const std::string& what, const std::string& key, long code) {
    return what + "“HKEY_CURRENT_USER\\" + key + "”（错误 " + std::to_string(code) + "）";
}

std::string RegistryFailure(const std::string& what, const std::string& name, long code) {
    return KeyFailure(what, EntryKey(name), code);
}

// Tries over a run of candidate names end here: a folder or key in which
// every one is taken is reported, not searched for ever.
constexpr int kCandidateNames = 100;

// The names of the subkeys of `key`, in the registry's order. An index the
// registry cannot name is passed over, its error kept in `failure`; the walk
// ends past the last subkey, and at the latest at the count the key reports.
std::vector<std::string> SubkeyNames(Registry& registry, HKey key, long& failure) {
    unsigned count = 0;
    registry.RegQueryInfoKeyA(key, count);
    std::vector<std::string> names;
    std::string name;
    for (unsigned index = 0;; ++index) {
        long code = registry.RegEnumKeyExA(key, index, name);
        if (code == kErrorSuccess) {
            names.push_back(name);
            continue;
        }
        if (code == kErrorNoMoreItems) break;
        failure = code;
        if (index + 1 >= count) break;
    }
    return names;
}

// Orders key names as the registry tells them apart.
struct KeyNameLess {
    Registry* registry;
    bool operator()(const std::string& a, const std::string& b) const {
        return registry->CompareStringOrdinal(a, b) < 0;
    }
};

}  // namespace

std::string UnknownErrorText() {
    return std::string("Error：\r未知的错误。请与软件开发者联系：") + kSupportAddress + " 。";
}

MenuStore::MenuStore(Registry& registry, FileSystem& files, FolderApi& folders, MessageBoxes& boxes, Hwnd appWindow,
                     std::string appTitle)
    : registry_(registry), files_(files), folders_(folders), boxes_(boxes), appWindow_(appWindow),
      appTitle_(std::move(appTitle)) {}

void MenuStore::LoadIEMenus(std::vector<std::string>& names, std::vector<std::string>& texts) {
    std::vector<std::string> keys;
    {
        ScopedKey parent(registry_);
        if (registry_.RegOpenKeyExA(kHkeyCurrentUser, kMenuExtKey, kKeyRead, parent.handle) != kErrorSuccess) return;
        long failure = kErrorSuccess;  // entries the page cannot show; a save keeps them as they are
        keys = SubkeyNames(registry_, parent.handle, failure);
    }
    for (const std::string& name : keys) {
        std::string text = ReadIEMenuText(name);
        if (text.empty()) continue;
        names.push_back(name);
        texts.push_back(std::move(text));
    }
}

bool MenuStore::IsOwnKey(HKey key) {
    std::string name;
    for (unsigned index = 0; registry_.RegEnumValueA(key, index, name) == kErrorSuccess; ++index) {
        if (FoldAsciiCase(name) != "CONTEXTS") continue;
        unsigned type = 0;
        std::string data;
        return registry_.RegQueryValueExA(key, name, type, data) == kErrorSuccess && type == kRegDword &&
               data == DwordBytes(kMenuContexts);
    }
    return false;
}

MenuStore::KeyRead MenuStore::ReadEntryKey(const std::string& name, std::string& scriptPath) {
    scriptPath.clear();
    ScopedKey key(registry_);
    if (registry_.RegOpenKeyExA(kHkeyCurrentUser, EntryKey(name), kKeyRead, key.handle) != kErrorSuccess)
        return KeyRead::NotOpened;
    if (!IsOwnKey(key.handle)) return KeyRead::NotOwn;
    unsigned type = 0;
    std::string data;
    // A default value of another type is a damaged entry: read like one without a file.
    if (registry_.RegQueryValueExA(key.handle, "", type, data) == kErrorSuccess &&
        (type == kRegSz || type == kRegExpandSz)) {
        scriptPath = StringData(data);
    }
    return KeyRead::Own;
}

std::string MenuStore::ReadIEMenuText(const std::string& name) {
    std::string path;
    switch (ReadEntryKey(name, path)) {
    case KeyRead::NotOpened:
        boxes_.MessageBoxA(appWindow_, UnknownErrorText(), "Error", kMbIconError);
        return {};
    case KeyRead::NotOwn:
        return {};
    case KeyRead::Own:
        break;
    }
    return ReadMenuScriptText(path);
}

std::string MenuStore::ReadMenuScriptText(const std::string& path) {
    if (path.empty()) return {};
    const FileQuery file = files_.QueryFile(path);
    if (file.state == FileState::Absent) return {};
    std::string bytes;
    FileError error = file.state == FileState::Unknown ? file.error : files_.ReadWholeFile(path, bytes);
    if (!error.empty()) {
        // A save keeps the key and this file as they are (see SaveIEMenus).
        boxes_.MessageBoxA(appWindow_,
                           ErrorReportText(error) +
                               "这个IE右键菜单项没有载入。“应用”不会删除它的注册表项，也不会改写这个文件；"
                               "只有新建一个同名的菜单项才会取代它。",
                           appTitle_, kMbIconError);
        return {};
    }
    return ParseMenuScript(bytes);
}

FileError MenuStore::WriteMenuScript(const std::string& text, const std::string& path) {
    return files_.SaveWholeFile(path, MenuScriptBytes(text));
}

// One run of SaveIEMenus.
class MenuStore::Save {
public:
    Save(MenuStore& store, const std::vector<std::string>& oldNames, const std::vector<int>& origins,
         const std::vector<std::string>& names, const std::vector<std::string>& texts, const std::string& folder)
        : store_(store), registry_(store.registry_), oldNames_(oldNames), names_(names), texts_(texts),
          folder_(folder), targetByName_(KeyNameLess{&registry_}), oldByName_(KeyNameLess{&registry_}) {
        for (std::size_t i = 0; i < names.size() && i < texts.size(); ++i) {
            if (TrimBlanks(names[i]).empty() || TrimBlanks(texts[i]).empty()) continue;
            written_.push_back(i);
            auto [byName, added] = targetByName_.try_emplace(names[i], targets_.size());
            if (added) {
                Target fresh;
                fresh.name = names[i];
                targets_.push_back(std::move(fresh));
            }
            // Of two entries with one name, the later one's text is kept.
            Target& target = targets_[byName->second];
            target.position = i;
            target.origin = i < origins.size() ? origins[i] : -1;
        }
        for (std::size_t j = 0; j < oldNames.size(); ++j) {
            if (!oldNames[j].empty()) oldByName_.emplace(oldNames[j], int(j));
        }
        oldDone_.assign(oldNames.size(), false);
    }

    MenuSaveResult Run() {
        MenuSaveResult result;
        try {
            if (Refuse(result)) return result;
            KeepFilesOfOtherKeys();
            for (Target& target : targets_) {
                target.staging = FreeStagingPath(target.position);
                WriteScript(target.position, target.staging);
            }
            WriteKeysInDependencyOrder();
            for (const Target& target : targets_) {
                if (!target.temporary.empty()) DeleteOwnKey(target.temporary);
            }
            for (std::size_t j = 0; j < oldNames_.size(); ++j) {
                if (!oldNames_[j].empty() && !oldDone_[j] && !targetByName_.count(oldNames_[j])) {
                    DeleteOwnKey(oldNames_[j]);
                }
            }
            // Only now, with no old key left, do the files get their final names.
            for (std::size_t position : written_) WriteScript(position, FinalPath(position));
            for (const Target& target : targets_) {
                SetDefault(target.name, FinalPath(target.position));
                store_.folders_.DeleteFileA(target.staging);
            }
        } catch (const SaveFailure& failure) {
            result.outcome = MenuSaveResult::Outcome::Failed;
            result.message = failure.message;
            return result;
        }
        result.writtenOrigins.assign(names_.size(), -1);
        for (const Target& target : targets_) {
            result.writtenOrigins[target.position] = int(result.writtenNames.size());
            result.writtenNames.push_back(target.name);
        }
        return result;
    }

private:
    struct Target {
        std::string name;  // as the first entry of this name gives it
        std::size_t position = 0;
        int origin = -1;
        std::string staging;
        std::string temporary;  // a key holding the entry while its own name is taken
        bool written = false;
    };

    std::string NumberedPath(std::size_t number) const { return folder_ + std::to_string(number) + ".htm"; }

    // "<position>.htm", unless a key this save leaves alone points to that
    // file; then the first number past the list that none does.
    std::string FinalPath(std::size_t position) {
        auto chosen = finalPaths_.find(position);
        if (chosen != finalPaths_.end()) return chosen->second;
        std::string path = NumberedPath(position);
        while (kept_.count(FoldAsciiCase(path))) path = NumberedPath(spareNumber_++);
        return finalPaths_[position] = path;
    }

    // Entries the page does not show (the load passed over them, or they were
    // made since) stay the browser's: this save neither deletes their keys
    // nor writes over their script files. (A page entry of the same name
    // takes such a key over, as a save of any name does.)
    void KeepFilesOfOtherKeys() {
        spareNumber_ = names_.size();
        ScopedKey parent(registry_);
        long code = registry_.RegOpenKeyExA(kHkeyCurrentUser, kMenuExtKey, kKeyRead, parent.handle);
        if (code == kErrorFileNotFound) return;
        if (code != kErrorSuccess) throw SaveFailure{KeyFailure("无法打开注册表项", kMenuExtKey, code)};
        long failure = kErrorSuccess;
        std::vector<std::string> keys = SubkeyNames(registry_, parent.handle, failure);
        if (failure != kErrorSuccess) {
            throw SaveFailure{KeyFailure("无法读出注册表项", kMenuExtKey, failure) +
                              "下所有子项的名称，为免改写其他菜单项的脚本文件，这次没有保存。"};
        }
        for (const std::string& name : keys) {
            if (oldByName_.count(name) || targetByName_.count(name)) continue;
            std::string path;
            if (store_.ReadEntryKey(name, path) == KeyRead::Own && !path.empty()) kept_.insert(FoldAsciiCase(path));
        }
    }

    // A name no file has: no key can point to a file that is being written.
    std::string FreeStagingPath(std::size_t position) {
        for (int n = 1; n <= kCandidateNames; ++n) {
            std::string path = folder_ + std::to_string(position) + "-new" + (n > 1 ? std::to_string(n) : "") + ".htm";
            if (kept_.count(FoldAsciiCase(path))) continue;
            const FileQuery file = store_.files_.QueryFile(path);
            if (file.state == FileState::Unknown) throw SaveFailure{ErrorReportText(file.error)};
            if (file.state == FileState::Absent) return path;
        }
        throw SaveFailure{"文件夹“" + folder_ + "”中已有 " + std::to_string(kCandidateNames) + " 个名为“" +
                          std::to_string(position) + "-new….htm”的文件，找不到可用的临时文件名。"};
    }

    bool Refuse(MenuSaveResult& result) {
        for (std::size_t position : written_) {
            const std::string& name = names_[position];
            if (HasBackslash(name)) {
                result.message = "IE右键菜单“" + name + "”的名称中有反斜杠“\\”，这样的名称不能用作注册表项。请修改名称后再应用。";
            } else if (!oldByName_.count(name) && KeyExists(name) == KeyState::Foreign) {
                result.message = "已有另一个程序的IE右键菜单项名为“" + name +
                                 "”，Pennora不会改动它。请为这个菜单项换一个名称后再应用。";
            } else {
                continue;
            }
            result.outcome = MenuSaveResult::Outcome::Refused;
            result.refusedPosition = int(position);
            return true;
        }
        return false;
    }

    enum class KeyState { Absent, Own, Empty, Foreign };

    // An empty key holds nothing of anyone (a save that failed right after
    // making it leaves one), so it may be taken.
    KeyState KeyExists(const std::string& name) {
        ScopedKey key(registry_);
        long code = registry_.RegOpenKeyExA(kHkeyCurrentUser, EntryKey(name), kKeyRead, key.handle);
        if (code == kErrorFileNotFound) return KeyState::Absent;
        if (code != kErrorSuccess) throw SaveFailure{RegistryFailure("无法打开注册表项", name, code)};
        if (store_.IsOwnKey(key.handle)) return KeyState::Own;
        std::string ignored;
        if (registry_.RegEnumValueA(key.handle, 0, ignored) == kErrorNoMoreItems &&
            registry_.RegEnumKeyExA(key.handle, 0, ignored) == kErrorNoMoreItems) {
            return KeyState::Empty;
        }
        return KeyState::Foreign;
    }

    void WriteScript(std::size_t position, const std::string& path) {
        if (FileError error = store_.WriteMenuScript(texts_[position], path); !error.empty()) {
            throw SaveFailure{ErrorReportText(error)};
        }
    }

    void Check(long code, const char* what, const std::string& name) {
        if (code != kErrorSuccess) throw SaveFailure{RegistryFailure(what, name, code)};
    }

    void WriteKey(const std::string& name, const std::string& scriptPath) {
        ScopedKey key(registry_);
        Check(registry_.RegCreateKeyExA(kHkeyCurrentUser, EntryKey(name), kKeyAllAccess, key.handle),
              "无法创建注册表项", name);
        // The mark first: a key left without it by a failure would look like
        // another program's.
        Check(registry_.RegSetValueExA(key.handle, kContextsValue, kRegDword, DwordBytes(kMenuContexts)),
              "无法写入注册表项", name);
        Check(registry_.RegSetValueExA(key.handle, "", kRegSz, scriptPath), "无法写入注册表项", name);
    }

    void SetDefault(const std::string& name, const std::string& scriptPath) {
        ScopedKey key(registry_);
        Check(registry_.RegOpenKeyExA(kHkeyCurrentUser, EntryKey(name), kKeyAllAccess, key.handle),
              "无法打开注册表项", name);
        Check(registry_.RegSetValueExA(key.handle, "", kRegSz, scriptPath), "无法写入注册表项", name);
    }

    // Deletes the key `name` with its subkeys if it is still the tool's own.
    // A key that is gone, or a deletion the registry refuses, leaves an
    // extra entry behind, never a lost one: it is not an error.
    void DeleteOwnKey(const std::string& name) {
        {
            ScopedKey key(registry_);
            if (registry_.RegOpenKeyExA(kHkeyCurrentUser, EntryKey(name), kKeyAllAccess, key.handle) != kErrorSuccess ||
                !store_.IsOwnKey(key.handle)) {
                return;
            }
            DeleteSubkeys(key.handle);
        }
        ScopedKey parent(registry_);
        if (registry_.RegOpenKeyExA(kHkeyCurrentUser, kMenuExtKey, kKeyAllAccess, parent.handle) == kErrorSuccess) {
            registry_.RegDeleteKeyA(parent.handle, name);
        }
    }

    void DeleteSubkeys(HKey key) {
        long failure = kErrorSuccess;  // a subkey left behind keeps its key, which is then not deleted
        for (const std::string& name : SubkeyNames(registry_, key, failure)) {
            {
                ScopedKey sub(registry_);
                if (registry_.RegOpenKeyExA(key, name, kKeyAllAccess, sub.handle) != kErrorSuccess) continue;
                DeleteSubkeys(sub.handle);
            }
            registry_.RegDeleteKeyA(key, name);
        }
    }

    // Whether the old key `j` still holds an entry that is not yet anywhere else.
    bool Required(int j) const {
        for (const Target& target : targets_) {
            if (target.origin == j && !target.written && target.temporary.empty()) return true;
        }
        return false;
    }

    // A target may take its key once the old entry there (if another) is
    // safe elsewhere; a renamed key whose old name differs only in letter
    // case goes through a temporary key, as does one entry of every exchange
    // of names.
    bool Blocked(const Target& target) const {
        auto old = oldByName_.find(target.name);
        if (old == oldByName_.end() || oldDone_[old->second]) return false;
        int j = old->second;
        if (j == target.origin) return oldNames_[j] != target.name && target.temporary.empty();
        return Required(j);
    }

    void Take(Target& target) {
        auto old = oldByName_.find(target.name);
        if (old != oldByName_.end() && !oldDone_[old->second]) {
            int j = old->second;
            if (oldNames_[j] != target.name) DeleteOwnKey(oldNames_[j]);
            oldDone_[j] = true;
        }
        WriteKey(target.name, target.staging);
        target.written = true;
    }

    void WriteKeysInDependencyOrder() {
        for (;;) {
            bool pending = false, progress = false;
            for (Target& target : targets_) {
                if (target.written) continue;
                pending = true;
                if (Blocked(target)) continue;
                Take(target);
                progress = true;
            }
            if (!pending) return;
            if (progress) continue;
            for (Target& target : targets_) {
                if (target.written || !target.temporary.empty()) continue;
                target.temporary = FreeTemporaryName(target.name);
                WriteKey(target.temporary, target.staging);
                break;
            }
        }
    }

    std::string FreeTemporaryName(const std::string& name) {
        for (int n = 1; n <= kCandidateNames; ++n) {
            std::string candidate = name + "~" + std::to_string(n);
            if (oldByName_.count(candidate) || targetByName_.count(candidate)) continue;
            if (KeyExists(candidate) == KeyState::Absent) return candidate;
        }
        throw SaveFailure{"已有 " + std::to_string(kCandidateNames) + " 个名为“" + name +
                          "~…”的注册表项，找不到可用的临时名称来交换菜单项的名称。"};
    }

    MenuStore& store_;
    Registry& registry_;
    const std::vector<std::string>& oldNames_;
    const std::vector<std::string>& names_;
    const std::vector<std::string>& texts_;
    std::string folder_;
    std::vector<std::size_t> written_;  // positions with a name and a text
    std::vector<Target> targets_;       // one per key, in order of first position
    std::map<std::string, std::size_t, KeyNameLess> targetByName_;
    std::map<std::string, int, KeyNameLess> oldByName_;
    std::vector<bool> oldDone_;  // old key already taken over or removed
    std::set<std::string> kept_;  // script files of keys this save leaves alone, ASCII case folded
    std::map<std::size_t, std::string> finalPaths_;
    std::size_t spareNumber_ = 0;
};

MenuSaveResult MenuStore::SaveIEMenus(const std::vector<std::string>& oldNames, const std::vector<int>& origins,
                                      const std::vector<std::string>& names, const std::vector<std::string>& texts,
                                      const std::string& scriptFolder) {
    return Save(*this, oldNames, origins, names, texts, scriptFolder).Run();
}

}  // namespace pennora
