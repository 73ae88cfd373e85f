// The context-menu store on the real registry and files of the Wine prefix:
// keys and values as a browser reads them, GBK names, names the registry
// takes for one, long names, a folder deep in a tree, and another program's
// menu extension left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <iterator>
#include <string>
#include <vector>

#include "browser/BrowserMenuLogic.h"
#include "browser/MenuStore.h"
#include "browser/ScriptFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FolderApi.h"
#include "platform/win32/Win32Registry.h"
#include "win32/LongFolder.h"
#include "win32/MenuExtSandbox.h"

namespace pennora {
namespace {

using testing::MenuExtSandbox;

const std::string kParent = kMenuExtKey;

HKEY MakeKey(const std::string& name) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, (kParent + "\\" + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}

// Another program's menu extension, as it would be made.
void MakeOtherProgramsKey(const std::string& name, const char* page) {
    HKEY other = MakeKey(name);
    ASSERT_TRUE(other);
    RegSetValueExA(other, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(page), DWORD(std::strlen(page) + 1));
    DWORD contexts = 0x10;
    RegSetValueExA(other, "Contexts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&contexts), sizeof contexts);
    RegCloseKey(other);
}

// Another program's entry that is there before the first test and must be
// there, unchanged, after the last.
class OtherProgramsEntry : public ::testing::Environment {
    static constexpr const char* kName = "词典查询";
    static constexpr const char* kPage = "res://dictionary.dll/lookup.htm";
    void SetUp() override { MakeOtherProgramsKey(kName, kPage); }
    void TearDown() override {
        char page[256] = {};
        DWORD size = sizeof page;
        EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, (kParent + "\\" + kName).c_str(), "", RRF_RT_REG_SZ, nullptr, page,
                               &size),
                  ERROR_SUCCESS)
            << "the tests removed another program's menu entry";
        EXPECT_STREQ(page, kPage);
        RegDeleteTreeA(HKEY_CURRENT_USER, (kParent + "\\" + kName).c_str());
    }
};
::testing::Environment* const kOtherProgramsEntry = ::testing::AddGlobalTestEnvironment(new OtherProgramsEntry);

class RegistryMenuStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(MenuExtSandbox::WhyNotHere(), "");
        sandbox = std::make_unique<MenuExtSandbox>();
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "pennora-menu-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        MakeOtherProgramsKey("翻译", "res://other.dll/translate.htm");
    }
    void TearDown() override {
        sandbox.reset();
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileA((folder + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    // The loaded entries, sorted.
    // The keys the test made besides the other program's key of SetUp.
    std::vector<std::string> MadeEntryKeys() {
        std::vector<std::string> made = sandbox->MadeKeys();
        std::erase(made, "翻译");
        std::sort(made.begin(), made.end());
        return made;
    }

    std::vector<std::pair<std::string, std::string>> Loaded() {
        std::vector<std::string> names, texts;
        store.LoadIEMenus(names, texts);
        std::vector<std::pair<std::string, std::string>> loaded;
        for (std::size_t i = 0; i < names.size(); ++i) loaded.emplace_back(names[i], texts[i]);
        std::sort(loaded.begin(), loaded.end());
        return loaded;
    }

    std::string StringValue(const std::string& key, const char* name, DWORD& type) {
        char data[512] = {};
        DWORD size = sizeof data;
        if (RegGetValueA(HKEY_CURRENT_USER, (kParent + "\\" + key).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                         data, &size) != ERROR_SUCCESS) {
            return "<none>";
        }
        return std::string(data, size);
    }

    std::unique_ptr<MenuExtSandbox> sandbox;
    std::string folder;
    Win32Registry registry;
    Win32FileSystem files;
    Win32FolderApi folders;
    fakes::FakeWindowsInput boxes;
    MenuStore store{registry, files, folders, boxes, 0, "KestovaPennora"};
};

TEST_F(RegistryMenuStoreTest, SavedEntriesAreKeysABrowserReadsAndLoadBack) {
    const std::vector<std::string> names = {"填地址", "\x81\x5C" "表", "Mail"};
    const std::vector<std::string> texts = {"北京市\r\n海淀区", "C:\\new \"x\"", "a@b.example"};
    ASSERT_EQ(store.SaveIEMenus({}, {-1, -1, -1}, names, texts, folder).outcome, MenuSaveResult::Outcome::Saved);

    DWORD type = 0;
    EXPECT_EQ(StringValue("填地址", "", type), folder + "0.htm" + '\0');
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(StringValue("填地址", "Contexts", type), std::string("\x54\x05\x00\x00", 4));
    EXPECT_EQ(type, DWORD(REG_DWORD));
    // The second byte 0x5C of a GBK name makes no nested key.
    EXPECT_EQ(StringValue("\x81\x5C" "表", "", type), folder + "1.htm" + '\0');

    std::ifstream file(folder + "1.htm", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), MenuScriptBytes(texts[1]));

    std::vector<std::string> loadedNames, loadedTexts;
    store.LoadIEMenus(loadedNames, loadedTexts);
    std::vector<std::pair<std::string, std::string>> loaded, expected;
    for (std::size_t i = 0; i < loadedNames.size(); ++i) loaded.emplace_back(loadedNames[i], loadedTexts[i]);
    for (std::size_t i = 0; i < names.size(); ++i) expected.emplace_back(names[i], texts[i]);
    std::sort(loaded.begin(), loaded.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(loaded, expected);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(RegistryMenuStoreTest, AnotherProgramsKeyIsNeitherListedNorDeletedNorOverwritten) {
    ASSERT_EQ(store.SaveIEMenus({}, {-1}, {"A"}, {"1"}, folder).outcome, MenuSaveResult::Outcome::Saved);
    std::vector<std::string> names, texts;
    store.LoadIEMenus(names, texts);
    EXPECT_EQ(names, std::vector<std::string>{"A"});

    MenuSaveResult taken = store.SaveIEMenus({"A"}, {0, -1}, {"A", "翻译"}, {"1", "x"}, folder);
    EXPECT_EQ(taken.outcome, MenuSaveResult::Outcome::Refused);
    MenuSaveResult nested = store.SaveIEMenus({"A"}, {0}, {"翻译\\A"}, {"1"}, folder);
    EXPECT_EQ(nested.outcome, MenuSaveResult::Outcome::Refused);

    ASSERT_EQ(store.SaveIEMenus({"A"}, {-1}, {""}, {""}, folder).outcome, MenuSaveResult::Outcome::Saved);
    EXPECT_EQ(MadeEntryKeys(), std::vector<std::string>{});
    DWORD type = 0;
    EXPECT_EQ(StringValue("翻译", "", type), std::string("res://other.dll/translate.htm") + '\0');
    EXPECT_EQ(StringValue("翻译", "Contexts", type), std::string("\x10\x00\x00\x00", 4));
    HKEY nestedKey;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (kParent + "\\翻译\\A").c_str(), 0, KEY_READ, &nestedKey), ERROR_SUCCESS);
}

TEST_F(RegistryMenuStoreTest, ExchangedNamesAndALetterCaseChangeEndAsTheUserLeftThem) {
    ASSERT_EQ(store.SaveIEMenus({}, {-1, -1, -1}, {"A", "B", "abc"}, {"1", "2", "3"}, folder).outcome,
              MenuSaveResult::Outcome::Saved);
    ASSERT_EQ(store.SaveIEMenus({"A", "B", "abc"}, {0, 1, 2}, {"B", "A", "ABC"}, {"1", "2", "3"}, folder).outcome,
              MenuSaveResult::Outcome::Saved);
    std::vector<std::string> names, texts;
    store.LoadIEMenus(names, texts);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "ABC", "B"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"2", "3", "1"}));
}

// The registry takes names that differ only in the case of a letter for one
// name, over all of Unicode; a rename of that kind keeps the entry.
TEST_F(RegistryMenuStoreTest, ALetterCaseChangeOutsideAsciiKeepsEachEntryWithItsScript) {
    const std::vector<std::string> before = {"Ａ地址", "Σ", "Д", "ⅱ"}, after = {"ａ地址", "σ", "д", "Ⅱ"};
    const std::vector<std::string> texts = {"1", "2", "3", "4"};
    ASSERT_EQ(store.SaveIEMenus({}, {-1, -1, -1, -1}, before, texts, folder).outcome, MenuSaveResult::Outcome::Saved);
    MenuSaveResult result = store.SaveIEMenus(before, {0, 1, 2, 3}, after, texts, folder);
    EXPECT_EQ(result.outcome, MenuSaveResult::Outcome::Saved) << result.message;
    EXPECT_EQ(Loaded(),
              (std::vector<std::pair<std::string, std::string>>{{"Ⅱ", "4"}, {"ａ地址", "1"}, {"σ", "2"}, {"д", "3"}}));
    EXPECT_EQ(MadeEntryKeys(), (std::vector<std::string>{"Ⅱ", "ａ地址", "σ", "д"}));
}

// The unit tests' registry tells names apart as the system does: over
// every character of GBK, two characters name one key there exactly when
// they do here.
TEST(RegistryNameTest, TheFakeRegistryTellsNamesApartAsTheSystemDoes) {
    std::vector<std::string> characters;
    for (int c = 0x20; c < 0x7F; ++c) characters.push_back(std::string(1, char(c)));
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const char bytes[] = {char(lead), char(trail)};
            if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, nullptr, 0) == 1)
                characters.emplace_back(bytes, 2);
        }
    }
    Win32Registry system;
    auto systemLess = [&](const std::string& a, const std::string& b) { return system.CompareStringOrdinal(a, b) < 0; };
    std::sort(characters.begin(), characters.end(), systemLess);
    std::set<std::string> fakeNames;
    std::size_t systemNames = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        fakeNames.insert(fakes::FoldNameCase(characters[i]));
        if (i == 0 || system.CompareStringOrdinal(characters[i - 1], characters[i]) != 0) {
            ++systemNames;
        } else {
            EXPECT_EQ(fakes::FoldNameCase(characters[i - 1]), fakes::FoldNameCase(characters[i]))
                << fakes::Quoted(characters[i - 1]) << " and " << fakes::Quoted(characters[i]) << " name one key";
        }
    }
    EXPECT_EQ(fakeNames.size(), systemNames);
    EXPECT_GT(characters.size(), 21000u);
}

// A key name may have 255 characters, 510 bytes in GBK: every entry is
// listed, whatever name comes before it.
TEST_F(RegistryMenuStoreTest, LoadListsEveryEntryPastALongKeyName) {
    std::string otherName, ownName;
    for (int i = 0; i < 200; ++i) otherName += "一";  // listed first
    for (int i = 0; i < 255; ++i) ownName += "丁";
    MakeOtherProgramsKey(otherName, "res://other.dll/long.htm");
    MenuSaveResult result = store.SaveIEMenus({}, {-1, -1}, {ownName, "填地址"}, {"1", "2"}, folder);
    ASSERT_EQ(result.outcome, MenuSaveResult::Outcome::Saved) << result.message;
    EXPECT_EQ(Loaded(), (std::vector<std::pair<std::string, std::string>>{{ownName, "1"}, {"填地址", "2"}}));
    EXPECT_TRUE(boxes.calls.empty());
}

// A tool copied deep into a folder tree: its script folder and files lie
// past the classic path limit. A new entry is applied all the same.
TEST_F(RegistryMenuStoreTest, ANewEntryIsAppliedInAFolderAtTheEdgeOfThePathLimit) {
    testing::LongFolder deep(246);
    BrowserMenuLogic page(store, folders, boxes, 0, "KestovaPennora", deep.path());
    page.LoadIEMenuPage();
    page.BtnNewClick();
    page.EditKeyChange("地址");
    page.MemoValueChange("北京市");
    page.btnApplyClick();

    EXPECT_FALSE(page.Controls().applyEnabled);
    EXPECT_EQ(boxes.calls.size(), 1u);
    DWORD type = 0;
    EXPECT_EQ(StringValue("地址", "", type), deep.path() + "Script\\0.htm" + '\0');
    EXPECT_EQ(store.ReadIEMenuText("地址"), "北京市");
}

}  // namespace
}  // namespace pennora
