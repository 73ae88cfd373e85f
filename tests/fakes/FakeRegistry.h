#pragma once
// The current user's hive in memory. Key and value names keep the case they
// were made with and are compared as the registry compares them: without
// letter case over all of Unicode, so ASCII, full-width Latin, Roman numeral,
// Greek and Cyrillic letters (the letters of GBK that have a case) each match
// their other case. Every call is recorded in `calls`, with the MenuExt parent
// key shown as "MenuExt"; a FaultPlan can make any call fail.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "browser/MenuStore.h"
#include "browser/ScriptFile.h"
#include "fakes/CallLog.h"
#include "fakes/FaultPlan.h"
#include "platform/Registry.h"

namespace pennora::fakes {

// `name` with every GBK letter that has a case in its upper case.
inline std::string FoldNameCase(const std::string& name) {
    struct LowerRow {
        unsigned char lead, first, last;
        int toUpper;  // added to the second byte
    };
    static constexpr LowerRow kRows[] = {
        {0xA2, 0xA1, 0xAA, 0x50},   // small Roman numerals
        {0xA3, 0xE1, 0xFA, -0x20},  // full-width Latin
        {0xA6, 0xC1, 0xD8, -0x20},  // Greek
        {0xA7, 0xD1, 0xF1, -0x30},  // Cyrillic
    };
    std::string out = FoldAsciiCase(name);
    for (std::size_t i = 0; i < out.size(); i += GbkCharLength(out, i)) {
        if (GbkCharLength(out, i) != 2) continue;
        auto lead = static_cast<unsigned char>(out[i]), trail = static_cast<unsigned char>(out[i + 1]);
        for (const LowerRow& row : kRows) {
            if (lead == row.lead && trail >= row.first && trail <= row.last) out[i + 1] = char(trail + row.toUpper);
        }
    }
    return out;
}

class FakeRegistry final : public Registry {
public:
    struct Value {
        unsigned type = 0;
        std::string data;
    };
    struct Key {
        std::string path;  // as made
        std::vector<std::pair<std::string, Value>> values;
    };

    explicit FakeRegistry(CallLog* sharedLog = nullptr, FaultPlan* faults = nullptr)
        : calls(sharedLog ? *sharedLog : ownLog_), faults_(faults) {}

    CallLog& calls;

    // Test set-up and inspection, not recorded.
    Key& Make(const std::string& path) {
        std::string partial;
        for (std::size_t start = 0;;) {
            std::size_t end = Separator(path, start);
            partial = path.substr(0, end);
            keys_.try_emplace(FoldNameCase(partial), Key{partial, {}});
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return keys_.at(FoldNameCase(path));
    }
    void Set(const std::string& path, const std::string& name, unsigned type, const std::string& data) {
        SetValue(Make(path), name, Value{type, data});
    }
    const Key* Find(const std::string& path) const {
        auto key = keys_.find(FoldNameCase(path));
        return key == keys_.end() ? nullptr : &key->second;
    }
    const Value* FindValue(const std::string& path, const std::string& name) const {
        const Key* key = Find(path);
        if (!key) return nullptr;
        for (const auto& value : key->values) {
            if (FoldNameCase(value.first) == FoldNameCase(name)) return &value.second;
        }
        return nullptr;
    }
    // The names of the direct subkeys of `path`, in enumeration order.
    std::vector<std::string> Subkeys(const std::string& path) const {
        std::vector<std::string> names;
        std::string prefix = FoldNameCase(path) + "\\";
        for (const auto& [folded, key] : keys_) {
            if (folded.compare(0, prefix.size(), prefix) == 0 && Separator(folded, prefix.size()) == std::string::npos) {
                names.push_back(key.path.substr(prefix.size()));
            }
        }
        return names;
    }
    int OpenHandles() const { return int(handles_.size()); }

    long RegOpenKeyExA(HKey key, const std::string& subKey, unsigned, HKey& opened) override {
        Record("RegOpenKeyExA(" + Name(key) + ", " + Short(subKey) + ")");
        opened = 0;
        if (Fails()) return kErrorAccessDenied;
        std::string path = Join(key, subKey);
        if (!keys_.count(FoldNameCase(path))) return kErrorFileNotFound;
        opened = NewHandle(path);
        return kErrorSuccess;
    }
    long RegCreateKeyExA(HKey key, const std::string& subKey, unsigned, HKey& opened) override {
        Record("RegCreateKeyExA(" + Name(key) + ", " + Short(subKey) + ")");
        opened = 0;
        if (Fails()) return kErrorAccessDenied;
        std::string path = Join(key, subKey);
        Make(path);
        opened = NewHandle(path);
        return kErrorSuccess;
    }
    long RegQueryInfoKeyA(HKey key, unsigned& subKeys) override {
        Record("RegQueryInfoKeyA(" + Name(key) + ")");
        subKeys = 0;
        if (Fails()) return kErrorAccessDenied;
        subKeys = unsigned(Subkeys(handles_.at(key)).size());
        return kErrorSuccess;
    }
    long RegEnumKeyExA(HKey key, unsigned index, std::string& name) override {
        Record("RegEnumKeyExA(" + Name(key) + ", " + std::to_string(index) + ")");
        if (Fails()) return kErrorAccessDenied;
        std::vector<std::string> names = Subkeys(handles_.at(key));
        if (index >= names.size()) return kErrorNoMoreItems;
        name = names[index];
        return kErrorSuccess;
    }
    long RegEnumValueA(HKey key, unsigned index, std::string& name) override {
        Record("RegEnumValueA(" + Name(key) + ", " + std::to_string(index) + ")");
        if (Fails()) return kErrorAccessDenied;
        const Key* found = Find(handles_.at(key));
        if (!found || index >= found->values.size()) return kErrorNoMoreItems;
        name = found->values[index].first;
        return kErrorSuccess;
    }
    long RegQueryValueExA(HKey key, const std::string& valueName, unsigned& type, std::string& data) override {
        Record("RegQueryValueExA(" + Name(key) + ", " + Quoted(valueName) + ")");
        if (Fails()) return kErrorAccessDenied;
        const Value* value = FindValue(handles_.at(key), valueName);
        if (!value) return kErrorFileNotFound;
        type = value->type;
        data = value->data;
        return kErrorSuccess;
    }
    long RegSetValueExA(HKey key, const std::string& valueName, unsigned type, const std::string& data) override {
        Record("RegSetValueExA(" + Name(key) + ", " + Quoted(valueName) + ", " + std::to_string(type) + ", " +
               Quoted(data) + ")");
        if (Fails()) return kErrorAccessDenied;
        auto found = keys_.find(FoldNameCase(handles_.at(key)));
        if (found == keys_.end()) return kErrorFileNotFound;  // deleted while open
        // The registry stores text with its terminating zero.
        SetValue(found->second, valueName, Value{type, type == kRegSz ? data + '\0' : data});
        return kErrorSuccess;
    }
    long RegDeleteKeyA(HKey key, const std::string& subKey) override {
        Record("RegDeleteKeyA(" + Name(key) + ", " + Short(subKey) + ")");
        if (Fails()) return kErrorAccessDenied;
        std::string path = Join(key, subKey);
        if (!Find(path)) return kErrorFileNotFound;
        if (!Subkeys(path).empty()) return kErrorAccessDenied;
        keys_.erase(FoldNameCase(path));
        return kErrorSuccess;
    }
    long RegCloseKey(HKey key) override {
        Record("RegCloseKey(" + Name(key) + ")");
        handles_.erase(key);
        return kErrorSuccess;  // closing never fails, also not by injection
    }
    long RegDeleteValueA(HKey key, const std::string& valueName) override {
        Record("RegDeleteValueA(" + Name(key) + ", " + Quoted(valueName) + ")");
        if (Fails()) return kErrorAccessDenied;
        auto found = keys_.find(FoldNameCase(handles_.at(key)));
        if (found == keys_.end()) return kErrorFileNotFound;  // deleted while open
        auto& values = found->second.values;
        for (auto value = values.begin(); value != values.end(); ++value) {
            if (FoldNameCase(value->first) == FoldNameCase(valueName)) {
                values.erase(value);
                return kErrorSuccess;
            }
        }
        return kErrorFileNotFound;
    }
    // Not a registry call: not recorded, never failing.
    int CompareStringOrdinal(const std::string& a, const std::string& b) override {
        return FoldNameCase(a).compare(FoldNameCase(b));
    }

private:
    // The next backslash character from `from` (a GBK second byte 0x5C is none).
    static std::size_t Separator(const std::string& path, std::size_t from) {
        for (std::size_t i = from; i < path.size(); i += GbkCharLength(path, i)) {
            if (path[i] == '\\') return i;
        }
        return std::string::npos;
    }
    static void SetValue(Key& key, const std::string& name, Value value) {
        for (auto& existing : key.values) {
            if (FoldNameCase(existing.first) == FoldNameCase(name)) {
                existing.second = std::move(value);
                return;
            }
        }
        key.values.emplace_back(name, std::move(value));
    }
    static std::string Short(const std::string& path) {
        std::string parent = kMenuExtKey;
        if (path.compare(0, parent.size(), parent) == 0) return Quoted("MenuExt" + path.substr(parent.size()));
        return Quoted(path);
    }
    std::string Name(HKey key) const { return key == kHkeyCurrentUser ? "HKCU" : Short(handles_.count(key) ? handles_.at(key) : "?"); }
    std::string Join(HKey key, const std::string& subKey) const {
        if (key == kHkeyCurrentUser) return subKey;
        return handles_.at(key) + "\\" + subKey;
    }
    HKey NewHandle(const std::string& path) {
        HKey handle = nextHandle_++;
        handles_[handle] = path;
        return handle;
    }
    void Record(std::string call) { calls.push_back(std::move(call)); }
    bool Fails() { return faults_ && faults_->Hit(calls.back()); }

    CallLog ownLog_;
    FaultPlan* faults_;
    std::map<std::string, Key> keys_;  // by folded path below HKEY_CURRENT_USER
    std::map<HKey, std::string> handles_;
    HKey nextHandle_ = 0x100;
};

}  // namespace pennora::fakes
