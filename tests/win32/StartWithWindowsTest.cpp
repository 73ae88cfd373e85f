// The Run value on the Wine prefix's registry. Only the value named Pennora is
// touched: whatever it held before the tests (a user's own start-up entry) is
// put back after them, and the other values of the Run key are left as found.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "app/StartWithWindows.h"
#include "ui/PageDialog.h"
#include "ui/resource.h"
#include "platform/win32/Win32Registry.h"

namespace pennora {
namespace {

struct RawValue {
    DWORD type = 0;
    std::string data;
    bool operator==(const RawValue&) const = default;
};

std::optional<RawValue> ReadRunValue(const char* name) {
    DWORD type = 0, size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    return RawValue{type, data};
}

void WriteRunValue(const char* name, const RawValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()), DWORD(value.data.size()));
    RegCloseKey(key);
}

void DeleteRunValue(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Every value of the Run key but the program's own, by name.
std::map<std::string, RawValue> OtherRunValues() {
    std::map<std::string, RawValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (lstrcmpiA(name, kRunValueName) == 0) continue;
        if (auto value = ReadRunValue(name)) values[name] = *value;
    }
    RegCloseKey(key);
    return values;
}

class StartWithWindowsTest : public ::testing::Test {
protected:
    static constexpr const char* kExe = "C:\\绿色 软件\\Pennora\\Pennora.exe";
    static constexpr const char* kOtherTool = "PennoraTestOtherTool";

    void SetUp() override {
        saved_ = ReadRunValue(kRunValueName);
        DeleteRunValue(kRunValueName);
        WriteRunValue(kOtherTool, {REG_SZ, std::string("\"C:\\other tool.exe\" /tray") + '\0'});
        othersBefore_ = OtherRunValues();
    }
    void TearDown() override {
        EXPECT_EQ(OtherRunValues(), othersBefore_);  // nothing but the own value changed
        DeleteRunValue(kOtherTool);
        DeleteRunValue(kRunValueName);
        if (saved_) WriteRunValue(kRunValueName, *saved_);
    }

    Win32Registry registry;
    StartWithWindows autoRun{registry, kExe};

private:
    std::optional<RawValue> saved_;
    std::map<std::string, RawValue> othersBefore_;
};

TEST_F(StartWithWindowsTest, OnWritesTheQuotedGbkPathThatOffRemoves) {
    EXPECT_EQ(autoRun.Read(), AutoRunState{});
    ASSERT_EQ(autoRun.Apply(true), kErrorSuccess);
    EXPECT_EQ(ReadRunValue(kRunValueName), (RawValue{REG_SZ, std::string("\"") + kExe + "\"" + '\0'}));
    EXPECT_EQ(autoRun.Read(), (AutoRunState{AutoRunOwner::ThisCopy, kExe}));
    // The path as a wide string, as Windows reads it at log-on.
    wchar_t wide[MAX_PATH] = {};
    DWORD size = sizeof wide;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Pennora",
                           RRF_RT_REG_SZ, nullptr, wide, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(wide, L"\"C:\\\u7eff\u8272 \u8f6f\u4ef6\\Pennora\\Pennora.exe\"");

    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);
    EXPECT_FALSE(ReadRunValue(kRunValueName));
    EXPECT_EQ(autoRun.Read(), AutoRunState{});
}

TEST_F(StartWithWindowsTest, AnotherCopysValueIsShownKeptWhenOffAndReplacedWhenOn) {
    const std::string other = "D:\\同步\\Pennora\\Pennora.exe";
    WriteRunValue(kRunValueName, {REG_SZ, "\"" + other + "\"" + '\0'});
    EXPECT_EQ(autoRun.Read(), (AutoRunState{AutoRunOwner::OtherCopy, other}));
    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);
    EXPECT_EQ(ReadRunValue(kRunValueName), (RawValue{REG_SZ, "\"" + other + "\"" + '\0'}));

    ASSERT_EQ(autoRun.Apply(true), kErrorSuccess);
    EXPECT_EQ(autoRun.Read().owner, AutoRunOwner::ThisCopy);
}

TEST_F(StartWithWindowsTest, AValueWrittenByHandInAnotherCaseOrUnquotedIsThisCopys) {
    for (const char* command : {"c:\\绿色 软件\\PENNORA\\pennora.exe", "\"C:\\绿色 软件\\Pennora\\PENNORA.EXE\" "}) {
        WriteRunValue(kRunValueName, {REG_SZ, std::string(command) + '\0'});
        EXPECT_EQ(autoRun.Read().owner, AutoRunOwner::ThisCopy) << command;
    }
    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);
    EXPECT_FALSE(ReadRunValue(kRunValueName));
}

// The Options page as its template lays it out, to measure the note under
// the box in the page's own font.
class BareOptionsPage final : public PageDialog {
public:
    explicit BareOptionsPage(HWND parent) : PageDialog(IDD_TABSHEET6, parent) {}
    using PageDialog::Item;
};

// Every note fits its one line whole, except a path, which the label
// shortens in the middle and whose file name then still shows.
TEST(StartWithWindowsNoteTest, EveryNoteFitsTheLineUnderTheBox) {
    HWND parent = CreateWindowExA(0, "STATIC", "page host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent);
    {
        BareOptionsPage page(parent);
        HWND label = page.Item(IDC_LABELAUTORUN);
        ASSERT_TRUE(label);
        RECT room{};
        GetClientRect(label, &room);
        HDC dc = GetDC(label);
        HGDIOBJ before = SelectObject(dc, HFONT(SendMessageA(label, WM_GETFONT, 0, 0)));
        auto width = [&](const std::string& text) {
            SIZE size{};
            GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
            return size.cx;
        };
        const std::string otherCopy = AutoRunNote({AutoRunOwner::OtherCopy, "D:\\同步\\Pennora\\Pennora.exe"});
        const std::string shortest = otherCopy.substr(0, otherCopy.find("D:\\")) + "...\\Pennora.exe";
        for (const std::string& note : {AutoRunNote({AutoRunOwner::Unreadable, "", kErrorAccessDenied}),
                                        AutoRunNote({AutoRunOwner::Unreadable, "", 12345}),
                                        AutoRunNote({AutoRunOwner::OtherCopy, ""}), shortest}) {
            EXPECT_LE(width(note), room.right) << note;
        }
        SelectObject(dc, before);
        ReleaseDC(label, dc);
    }
    DestroyWindow(parent);
}

}  // namespace
}  // namespace pennora
