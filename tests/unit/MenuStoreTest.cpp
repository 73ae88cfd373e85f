#include "browser/MenuStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "browser/ScriptFile.h"
#include "fakes/FakeFolderApi.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeWindowsInput.h"

namespace pennora {
namespace {

using fakes::CallLog;

constexpr Hwnd kApp = 0x300;
const std::string kFolder = "C:\\app\\Script\\";
const std::string kParent = kMenuExtKey;
const std::string kContextsData = std::string("\x54\x05\x00\x00", 4);  // 1364

// What the box about an entry that was not loaded says after the reason.
const std::string kNotLoaded =
    "这个IE右键菜单项没有载入。“应用”不会删除它的注册表项，也不会改写这个文件；只有新建一个同名的菜单项才会取代它。";

std::string Key(const std::string& name) { return kParent + "\\" + name; }
std::string File(int position) { return kFolder + std::to_string(position) + ".htm"; }

struct Entry {
    std::string name;
    std::string text;
};

// A registry and script folder with the tool's own entries as a save left
// them, beside another program's menu extension and a key outside MenuExt.
struct World {
    fakes::FaultPlan faults;
    CallLog calls;
    fakes::FakeRegistry registry{&calls, &faults};
    fakes::FakeFolderApi files{&calls, &faults};
    fakes::FakeWindowsInput boxes;
    MenuStore store{registry, files, files, boxes, kApp, "KestovaPennora"};

    explicit World(const std::vector<Entry>& own = {}) {
        registry.Make(kParent);
        for (std::size_t i = 0; i < own.size(); ++i) AddOwn(own[i].name, own[i].text, File(int(i)));
        registry.Set(Key("Other"), "", kRegSz, std::string("C:\\other.htm") + '\0');
        registry.Set("Software\\Other", "", kRegSz, std::string("keep") + '\0');
        files.files["C:\\other.htm"] = MenuScriptBytes("other");
    }

    void AddOwn(const std::string& name, const std::string& text, const std::string& path) {
        registry.Set(Key(name), "", kRegSz, path + '\0');
        registry.Set(Key(name), "Contexts", kRegDword, kContextsData);
        files.files[path] = MenuScriptBytes(text);
    }

    std::vector<Entry> Load() {
        std::vector<std::string> names, texts;
        store.LoadIEMenus(names, texts);
        std::vector<Entry> entries;
        for (std::size_t i = 0; i < names.size(); ++i) entries.push_back({names[i], texts[i]});
        return entries;
    }

    // The calls that change the registry or the files.
    CallLog Changes() const {
        CallLog changes;
        for (const std::string& call : calls) {
            for (const char* kind : {"RegCreateKeyExA", "RegSetValueExA", "RegDeleteKeyA", "SaveWholeFile", "DeleteFileA"}) {
                if (call.rfind(kind, 0) == 0) changes.push_back(call);
            }
        }
        return changes;
    }
};

bool operator==(const Entry& a, const Entry& b) { return a.name == b.name && a.text == b.text; }
void PrintTo(const Entry& e, std::ostream* out) { *out << fakes::Quoted(e.name) << "=" << fakes::Quoted(e.text); }

TEST(MenuStoreTest, LoadListsOnlyOwnEntriesWithText) {
    World world({{"填地址", "北京市\r\n海淀区"}, {"Mail", "a@b.example"}});
    world.registry.Set(Key("TextContexts"), "", kRegSz, File(7) + '\0');  // the mark as text: not ours
    world.registry.Set(Key("TextContexts"), "Contexts", kRegSz, std::string("1364") + '\0');
    world.files.files[File(7)] = MenuScriptBytes("x");
    world.registry.Set(Key("OtherNumber"), "", kRegSz, File(7) + '\0');
    world.registry.Set(Key("OtherNumber"), "CONTEXTS", kRegDword, std::string("\x55\x05\x00\x00", 4));
    world.AddOwn("NoFile", "x", File(8));
    world.files.files.erase(File(8));
    world.AddOwn("Empty", "", File(9));
    world.AddOwn("upper", "found", File(10));
    world.registry.Set(Key("upper"), "contexts", kRegDword, kContextsData);  // any letter case

    EXPECT_EQ(world.Load(), (std::vector<Entry>{{"Mail", "a@b.example"}, {"upper", "found"}, {"填地址", "北京市\r\n海淀区"}}));
    EXPECT_TRUE(world.boxes.calls.empty());
    EXPECT_EQ(world.registry.OpenHandles(), 0);
}

TEST(MenuStoreTest, LoadWithoutTheParentKeyFindsNothing) {
    fakes::FakeRegistry registry;
    fakes::FakeFolderApi files;
    fakes::FakeWindowsInput boxes;
    MenuStore store{registry, files, files, boxes, kApp, "KestovaPennora"};
    std::vector<std::string> names{"kept"}, texts{"kept"};
    store.LoadIEMenus(names, texts);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
}

TEST(MenuStoreTest, LoadReportsAKeyItCannotOpenAndAnUnreadableFileAndGoesOn) {
    World world({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    world.files.files.erase(File(1));
    world.files.unreadable.insert(File(1));
    world.faults.call = R"(RegOpenKeyExA(HKCU, "MenuExt\x5CC"))";

    EXPECT_EQ(world.Load(), (std::vector<Entry>{{"A", "1"}}));
    const std::string unreadable = "无法读取文件 \"" + File(1) + "\"：拒绝访问。" + kNotLoaded;
    EXPECT_EQ(world.boxes.calls, (CallLog{"MessageBoxA(0x300, " + fakes::Quoted(unreadable) + ", \"KestovaPennora\", 0x10)",
                                          "MessageBoxA(0x300, " + fakes::Quoted(UnknownErrorText()) + ", \"Error\", 0x10)"}));
    EXPECT_EQ(UnknownErrorText(), "Error：\r未知的错误。请与软件开发者联系：support@kestova.example 。");
}

TEST(MenuStoreTest, LoadGoesOnPastAKeyTheRegistryCannotName) {
    World world({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    world.faults.call = R"(RegEnumKeyExA("MenuExt", 1))";
    EXPECT_EQ(world.Load(), (std::vector<Entry>{{"A", "1"}, {"C", "3"}}));

    // A parent key that names no subkey at all ends the load too.
    world.faults.call.clear();
    world.faults.every = R"(RegEnumKeyExA("MenuExt")";
    EXPECT_EQ(world.Load(), std::vector<Entry>{});
    EXPECT_EQ(world.registry.OpenHandles(), 0);
}

// An entry the load passed over (its key could not be named, or its script
// file not read) is still the browser's: a save keeps its key and does not
// give its script file number to another entry.
TEST(MenuStoreTest, ASaveKeepsTheKeyAndTheScriptFileOfAnEntryTheLoadPassedOver) {
    for (bool unreadable : {true, false}) {
        SCOPED_TRACE(unreadable ? "unreadable script file" : "key not named by the registry");
        World world({{"A", "1"}, {"B", "2"}, {"C", "3"}});
        if (unreadable) {
            world.files.unreadable.insert(File(1));
        } else {
            world.faults.call = R"(RegEnumKeyExA("MenuExt", 1))";
        }
        ASSERT_EQ(world.Load(), (std::vector<Entry>{{"A", "1"}, {"C", "3"}}));
        world.faults.call.clear();

        MenuSaveResult result = world.store.SaveIEMenus({"A", "C"}, {0, 1}, {"A", "C"}, {"1", "3"}, kFolder);
        EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Saved) << result.message;
        EXPECT_EQ(world.files.files.at(File(1)), MenuScriptBytes("2"));
        EXPECT_EQ(world.registry.FindValue(Key("B"), "")->data, File(1) + '\0');
        world.files.unreadable.clear();
        EXPECT_EQ(world.Load(), (std::vector<Entry>{{"A", "1"}, {"B", "2"}, {"C", "3"}}));
    }
}

TEST(MenuStoreTest, ADefaultValueOfAnotherTypeIsSkippedLikeOneWithoutText) {
    World world({{"A", "1"}, {"B", "2"}});
    world.registry.Set(Key("A"), "", kRegDword, kContextsData);
    world.registry.Set(Key("B"), "", kRegExpandSz, File(1) + '\0');  // taken without expanding
    EXPECT_EQ(world.Load(), (std::vector<Entry>{{"B", "2"}}));
    EXPECT_TRUE(world.boxes.calls.empty());
}

// (A, 1), (empty name, 2), (B, 3) on an empty MenuExt: each key is made
// pointing at a file no key used before, and only once no old key is left do
// the files get their final names 0.htm and 2.htm; position 1 is skipped.
const CallLog kSaveNew = {
    R"(SaveWholeFile("C:\x5Capp\x5CScript\x5C0-new.htm"))",
    R"(SaveWholeFile("C:\x5Capp\x5CScript\x5C2-new.htm"))",
    R"(RegCreateKeyExA(HKCU, "MenuExt\x5CA"))",
    R"(RegSetValueExA("MenuExt\x5CA", "Contexts", 4, "T\x05\x00\x00"))",
    R"(RegSetValueExA("MenuExt\x5CA", "", 1, "C:\x5Capp\x5CScript\x5C0-new.htm"))",
    R"(RegCreateKeyExA(HKCU, "MenuExt\x5CB"))",
    R"(RegSetValueExA("MenuExt\x5CB", "Contexts", 4, "T\x05\x00\x00"))",
    R"(RegSetValueExA("MenuExt\x5CB", "", 1, "C:\x5Capp\x5CScript\x5C2-new.htm"))",
    R"(SaveWholeFile("C:\x5Capp\x5CScript\x5C0.htm"))",
    R"(SaveWholeFile("C:\x5Capp\x5CScript\x5C2.htm"))",
    R"(RegSetValueExA("MenuExt\x5CA", "", 1, "C:\x5Capp\x5CScript\x5C0.htm"))",
    R"(DeleteFileA("C:\x5Capp\x5CScript\x5C0-new.htm"))",
    R"(RegSetValueExA("MenuExt\x5CB", "", 1, "C:\x5Capp\x5CScript\x5C2.htm"))",
    R"(DeleteFileA("C:\x5Capp\x5CScript\x5C2-new.htm"))",
};

TEST(MenuStoreTest, SaveWritesOneKeyAndFilePerPositionWithTextAndName) {
    World world;
    world.calls.clear();
    MenuSaveResult result = world.store.SaveIEMenus({}, {-1, -1, -1}, {"A", "", "B"}, {"1", "2", "3"}, kFolder);
    EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Saved);
    EXPECT_EQ(world.Changes(), kSaveNew);
    EXPECT_EQ(result.writtenNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(world.files.files.count(File(1)), 0u);
    EXPECT_EQ(world.files.files.at(File(2)), MenuScriptBytes("3"));
    EXPECT_EQ(world.registry.FindValue(Key("B"), "")->data, File(2) + '\0');
    EXPECT_EQ(world.registry.FindValue(Key("B"), "Contexts")->data, kContextsData);
    EXPECT_EQ(world.registry.OpenHandles(), 0);
}

TEST(MenuStoreTest, BlankNamesAndTextsAreNotWrittenAndTheLaterOfTwoNamesWins) {
    World world(std::vector<Entry>{{"Old", "1"}});
    MenuSaveResult result = world.store.SaveIEMenus({"Old"}, {0, -1, -1, -1},
                                                    {"  ", "Dup", "x", "dup"}, {"1", "first", " \r\n", "second"}, kFolder);
    EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Saved);
    EXPECT_EQ(world.registry.Subkeys(kParent), (std::vector<std::string>{"Dup", "Other"}));
    EXPECT_EQ(world.registry.FindValue(Key("Dup"), "")->data, File(3) + '\0');
    EXPECT_EQ(world.files.files.at(File(1)), MenuScriptBytes("first"));  // written, though no key points to it
    EXPECT_EQ(world.files.files.count(File(2)), 0u);
}

TEST(MenuStoreTest, ANameWithABackslashIsRefusedBeforeAnythingChanges) {
    World world(std::vector<Entry>{{"A", "1"}});
    world.calls.clear();
    MenuSaveResult result = world.store.SaveIEMenus({"A"}, {0, -1}, {"B", "..\\..\\Run"}, {"1", "x"}, kFolder);
    EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Refused);
    EXPECT_EQ(result.refusedPosition, 1);
    EXPECT_NE(result.message.find("“..\\..\\Run”"), std::string::npos) << result.message;
    EXPECT_TRUE(world.Changes().empty());
    // A GBK character whose second byte is 0x5C is no separator.
    EXPECT_EQ(world.store.SaveIEMenus({"A"}, {0}, {"\x81\x5C"}, {"1"}, kFolder).outcome, MenuSaveResult::Outcome::Saved);
    EXPECT_EQ(world.registry.Subkeys(kParent), (std::vector<std::string>{"Other", "\x81\x5C"}));
}

TEST(MenuStoreTest, AnotherProgramsKeyOfTheSameNameIsRefusedAndLeftAlone) {
    World world(std::vector<Entry>{{"A", "1"}});
    world.calls.clear();
    MenuSaveResult result = world.store.SaveIEMenus({"A"}, {0, -1}, {"A", "other"}, {"1", "x"}, kFolder);
    EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Refused);
    EXPECT_EQ(result.refusedPosition, 1);
    EXPECT_NE(result.message.find("“other”"), std::string::npos);
    EXPECT_TRUE(world.Changes().empty());
    EXPECT_EQ(world.registry.Find(Key("Other"))->values.size(), 1u);
}

// A script folder on a share that is gone, or one where every candidate
// name is taken: the save stops with the reason before it changes anything,
// instead of taking "cannot tell" for "taken" and trying names for ever.
TEST(MenuStoreTest, ASaveThatFindsNoFreeFileNameStopsWithTheReason) {
    const std::string shareGone = "无法查看文件 \"" + kFolder + "0-new.htm\"：指定的网络名不再可用。";
    const struct {
        const char* what;
        std::function<void(fakes::FakeFolderApi&)> arrange;
        std::string named;
    } cases[] = {
        {"look-up fails", [&](fakes::FakeFolderApi& files) { files.lookupErrors[kFolder + "0-new.htm"] = shareGone; },
         shareGone},
        {"every name taken",
         [](fakes::FakeFolderApi& files) {
             files.taken = [](const std::string& path) { return path.find("-new") != std::string::npos; };
         },
         "0-new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World world(std::vector<Entry>{{"A", "1"}});
        c.arrange(world.files);
        world.calls.clear();
        MenuSaveResult result = world.store.SaveIEMenus({"A"}, {0, -1}, {"A", "B"}, {"1", "2"}, kFolder);
        EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Failed);
        EXPECT_NE(result.message.find(c.named), std::string::npos) << result.message;
        EXPECT_TRUE(world.Changes().empty());
    }
}

// A script file that cannot be looked up is reported like one that cannot be
// read, with the path and the reason; it is not read as missing.
TEST(MenuStoreTest, AScriptFileThatCannotBeLookedUpIsReportedByName) {
    World world({{"A", "1"}, {"B", "2"}});
    const std::string reason = "无法查看文件 \"" + File(0) + "\"：设备未就绪。";
    world.files.lookupErrors[File(0)] = reason;
    EXPECT_EQ(world.Load(), (std::vector<Entry>{{"B", "2"}}));
    EXPECT_EQ(world.boxes.calls,
              CallLog{"MessageBoxA(0x300, " + fakes::Quoted(reason + kNotLoaded) + ", \"KestovaPennora\", 0x10)"});
}

// A page's edits: the entries before (as loaded) and after.
struct Edit {
    const char* name;
    std::vector<Entry> before;
    std::vector<Entry> after;
    std::vector<int> origins;  // per position of `after`: its position in `before`, or -1
};

const Edit kEdits[] = {
    {"change, rename, delete and add", {{"A", "1"}, {"B", "2"}, {"C", "3"}}, {{"A", "1x"}, {"B2", "2"}, {"D", "4"}}, {0, 1, -1}},
    {"exchange of two names", {{"A", "1"}, {"B", "2"}}, {{"B", "1"}, {"A", "2"}}, {0, 1}},
    {"a name passed along a chain", {{"A", "1"}, {"B", "2"}}, {{"B", "1"}, {"C", "2"}}, {0, 1}},
    {"the name of a deleted entry taken", {{"A", "1"}, {"B", "2"}}, {{"B", "1"}}, {0}},
    {"letter case changed", {{"abc", "1"}, {"x", "2"}}, {{"ABC", "1"}, {"x", "2"}}, {0, 1}},
    {"letter case changed outside ASCII",
     {{"Ａ地址", "1"}, {"Σ", "2"}, {"Д", "3"}, {"ⅱ", "4"}},
     {{"ａ地址", "1"}, {"σ", "2"}, {"д", "3"}, {"Ⅱ", "4"}},
     {0, 1, 2, 3}},
    {"entries moved to other positions", {{"A", "1"}, {"B", "2"}, {"C", "3"}}, {{"C", "3"}, {"A", "1"}}, {2, 0}},
};

// For every entry, the registry holds it under its old or its new name (or,
// for one side of an exchange, under a temporary name beside its old one).
void ExpectEveryEntryPresent(const Edit& edit, const std::vector<Entry>& loaded, const std::string& where) {
    auto has = [&](const std::string& name, const std::string& text) {
        for (const Entry& e : loaded) {
            if (fakes::FoldNameCase(e.name) == fakes::FoldNameCase(name) && e.text == text) return true;
            if (e.name.rfind(name + "~", 0) == 0 && e.text == text) return true;
        }
        return false;
    };
    for (std::size_t i = 0; i < edit.after.size(); ++i) {
        int origin = edit.origins[i];
        bool present = has(edit.after[i].name, edit.after[i].text) ||
                       (origin >= 0 && has(edit.before[origin].name, edit.before[origin].text));
        if (origin >= 0) {
            EXPECT_TRUE(present) << edit.name << ": entry " << i << " lost " << where;
        }
    }
}

void ExpectSaved(const Edit& edit, World& world) {
    std::vector<std::string> names{"Other"};
    for (std::size_t i = 0; i < edit.after.size(); ++i) {
        names.push_back(edit.after[i].name);
        EXPECT_EQ(world.registry.FindValue(Key(edit.after[i].name), "")->data, File(int(i)) + '\0') << edit.name;
    }
    std::vector<std::string> subkeys = world.registry.Subkeys(kParent);
    std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return fakes::FoldNameCase(a) < fakes::FoldNameCase(b); });
    EXPECT_EQ(subkeys, names) << edit.name;
    EXPECT_EQ(world.Load().size(), edit.after.size()) << edit.name;
    for (const auto& [path, bytes] : world.files.files) EXPECT_EQ(path.find("-new"), std::string::npos) << path;
}

std::vector<std::string> Names(const std::vector<Entry>& entries) {
    std::vector<std::string> names;
    for (const Entry& e : entries) names.push_back(e.name);
    return names;
}
std::vector<std::string> Texts(const std::vector<Entry>& entries) {
    std::vector<std::string> texts;
    for (const Entry& e : entries) texts.push_back(e.text);
    return texts;
}

MenuSaveResult Apply(const Edit& edit, World& world) {
    return world.store.SaveIEMenus(Names(edit.before), edit.origins, Names(edit.after), Texts(edit.after), kFolder);
}

TEST(MenuStoreTest, SaveEndsWithTheNewSetAndNothingElse) {
    for (const Edit& edit : kEdits) {
        World world(edit.before);
        EXPECT_EQ(Apply(edit, world).outcome, MenuSaveResult::Outcome::Saved) << edit.name;
        ExpectSaved(edit, world);
        EXPECT_EQ(world.registry.FindValue("Software\\Other", "")->data, std::string("keep") + '\0');
    }
}

// A failure or a kill at any registry or file step loses no entry; after a
// failure the save reports it, and a second save completes the set.
TEST(MenuStoreTest, AFaultAtAnyStepLosesNoEntry) {
    for (const Edit& edit : kEdits) {
        int steps;
        {
            World world(edit.before);
            world.faults.steps = 0;
            Apply(edit, world);
            steps = world.faults.steps;
        }
        for (bool kill : {true, false}) {
            for (int at = 0; at < steps; ++at) {
                World world(edit.before);
                world.faults.at = at;
                world.faults.kill = kill;
                MenuSaveResult result;
                bool killed = false;
                try {
                    result = Apply(edit, world);
                } catch (const fakes::Killed&) {
                    killed = true;
                }
                world.faults.at = -1;
                const std::string where = (kill ? "killed at step " : "failing at step ") + std::to_string(at) + ": " +
                                          (world.calls.empty() ? "" : world.calls.back());
                ExpectEveryEntryPresent(edit, world.Load(), where);
                if (!killed && result.outcome == MenuSaveResult::Outcome::Failed) {
                    EXPECT_FALSE(result.message.empty()) << where;
                    EXPECT_EQ(Apply(edit, world).outcome, MenuSaveResult::Outcome::Saved) << edit.name << " " << where;
                    ExpectEveryEntryPresent(edit, world.Load(), where + ", then saved again");
                }
                EXPECT_EQ(world.registry.FindValue(Key("Other"), "")->data, std::string("C:\\other.htm") + '\0');
            }
        }
    }
}

}  // namespace
}  // namespace pennora
