// The context-menu store on the real registry and files of the Wine prefix:
// keys and values as a browser reads them, GBK names, and another program's
// menu extension left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "browser/MenuStore.h"
#include "browser/ScriptFile.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FolderApi.h"
#include "platform/win32/Win32Registry.h"

namespace pennora {
namespace {

const std::string kParent = kMenuExtKey;

class RegistryMenuStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kParent.c_str());
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "pennora-menu-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        // Another program's menu extension, as it would be made.
        HKEY other;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kParent + "\\翻译").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &other, nullptr),
                  ERROR_SUCCESS);
        const char page[] = "res://other.dll/translate.htm";
        RegSetValueExA(other, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(page), sizeof page);
        DWORD contexts = 0x10;
        RegSetValueExA(other, "Contexts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&contexts), sizeof contexts);
        RegCloseKey(other);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kParent.c_str());
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileA((folder + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::vector<std::string> Subkeys() {
        std::vector<std::string> names;
        HKEY parent;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kParent.c_str(), 0, KEY_READ, &parent) != ERROR_SUCCESS) return names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.emplace_back(name, length);
        }
        RegCloseKey(parent);
        return names;
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
    EXPECT_EQ(Subkeys(), std::vector<std::string>{"翻译"});
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

}  // namespace
}  // namespace pennora
