#pragma once
// The browser's MenuExt key as the tests use it. The keys found there belong
// to other programs or to the user and are never touched: a sandbox notes the
// names at its start and at its end removes only the keys made since. Tests
// that save entries also refuse to run where MenuExt already holds entries of
// the tool (a user's own), since a save of the same name would replace them.
#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "browser/MenuStore.h"

namespace pennora::testing {

class MenuExtSandbox {
public:
    MenuExtSandbox() {
        for (std::string& name : SubkeyNames()) before_.insert(std::move(name));
    }
    MenuExtSandbox(const MenuExtSandbox&) = delete;
    MenuExtSandbox& operator=(const MenuExtSandbox&) = delete;
    ~MenuExtSandbox() {
        for (const std::string& name : MadeKeys()) RegDeleteTreeA(HKEY_CURRENT_USER, EntryKey(name).c_str());
    }

    // The keys made since the sandbox began, in the registry's order.
    std::vector<std::string> MadeKeys() const {
        std::vector<std::string> made;
        for (const std::string& name : SubkeyNames()) {
            if (!before_.count(name)) made.push_back(name);
        }
        return made;
    }

    // "" when MenuExt holds no key with the tool's mark; else why a test that
    // saves entries will not run here.
    static std::string WhyNotHere() {
        for (const std::string& name : SubkeyNames()) {
            DWORD contexts = 0, size = sizeof contexts;
            if (RegGetValueA(HKEY_CURRENT_USER, EntryKey(name).c_str(), kContextsValue, RRF_RT_REG_DWORD, nullptr,
                             &contexts, &size) == ERROR_SUCCESS &&
                contexts == kMenuContexts) {
                return "HKEY_CURRENT_USER\\" + EntryKey(name) +
                       " is an entry of the tool made outside these tests; they save and delete entries, so they "
                       "run only in a throw-away Wine prefix (tests/support/desktop.sh start), never on a user's "
                       "account.";
            }
        }
        return "";
    }

    static std::string EntryKey(const std::string& name) { return std::string(kMenuExtKey) + "\\" + name; }

    static std::vector<std::string> SubkeyNames() {
        std::vector<std::string> names;
        HKEY parent;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kMenuExtKey, 0, KEY_READ, &parent) != ERROR_SUCCESS) return names;
        DWORD count = 0;
        RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        char name[1024];
        for (DWORD i = 0; i < count; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                names.emplace_back(name, length);
        }
        RegCloseKey(parent);
        return names;
    }

private:
    std::set<std::string> before_;
};

}  // namespace pennora::testing
