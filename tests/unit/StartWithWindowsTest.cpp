#include "app/StartWithWindows.h"

#include <gtest/gtest.h>

#include "fakes/FakeRegistry.h"

namespace pennora {
namespace {

using fakes::CallLog;

constexpr const char* kExe = "C:\\工具\\Pennora\\Pennora.exe";

class StartWithWindowsTest : public ::testing::Test {
protected:
    fakes::FaultPlan faults;
    fakes::FakeRegistry registry{nullptr, &faults};
    // Expands the one variable the tests use, as the system would.
    static std::string Expand(const std::string& command) {
        std::string text = command;
        const std::string name = "%TOOLS%";
        for (std::size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), "C:\\工具");
        return text;
    }
    StartWithWindows autoRun{registry, kExe, Expand};

    const fakes::FakeRegistry::Value* Value() const { return registry.FindValue(kRunKey, kRunValueName); }
    void SetValue(const std::string& text, unsigned type = kRegSz) {
        registry.Set(kRunKey, kRunValueName, type, text + '\0');
    }
};

TEST(AutoRunTargetTest, TheExecutableOfACommand) {
    struct Case {
        std::string command, target;
    } cases[] = {
        {"\"C:\\A B\\Pennora.exe\"", "C:\\A B\\Pennora.exe"},
        {"\"C:\\A B\\Pennora.exe\" /min", "C:\\A B\\Pennora.exe"},
        {std::string("\"C:\\P.exe\"\0\0", 12), "C:\\P.exe"},
        {"  C:\\P.exe  ", "C:\\P.exe"},
        {"\"C:\\unclosed.exe", "C:\\unclosed.exe"},
        {"", ""},
        {"\"\"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(AutoRunTarget(c.command), c.target) << c.command;
}

TEST_F(StartWithWindowsTest, ReadTellsWhoseTheValueIs) {
    EXPECT_EQ(autoRun.Read(), AutoRunState{});  // no Run key at all
    registry.Make(kRunKey);
    EXPECT_EQ(autoRun.Read(), AutoRunState{});  // the key without the value

    struct Case {
        std::string data;
        unsigned type;
        AutoRunState state;
    } cases[] = {
        {"\"C:\\工具\\Pennora\\Pennora.exe\"", kRegSz, {AutoRunOwner::ThisCopy, kExe}},
        // The file system ignores case: so does the comparison.
        {"\"c:\\工具\\PENNORA\\pennora.EXE\"", kRegSz, {AutoRunOwner::ThisCopy, "c:\\工具\\PENNORA\\pennora.EXE"}},
        {"C:\\工具\\Pennora\\Pennora.exe", kRegExpandSz, {AutoRunOwner::ThisCopy, kExe}},
        // An expandable value is judged by the path Windows starts; a plain
        // one is taken as written.
        {"\"%TOOLS%\\Pennora\\Pennora.exe\"", kRegExpandSz, {AutoRunOwner::ThisCopy, kExe}},
        {"\"%TOOLS%\\Pennora\\Pennora.exe\"", kRegSz, {AutoRunOwner::OtherCopy, "%TOOLS%\\Pennora\\Pennora.exe"}},
        {"\"D:\\同步\\Pennora\\Pennora.exe\"", kRegSz, {AutoRunOwner::OtherCopy, "D:\\同步\\Pennora\\Pennora.exe"}},
        {"", kRegSz, {AutoRunOwner::OtherCopy, ""}},
        // Not text: never taken for this copy's, whatever its bytes.
        {"\"C:\\工具\\Pennora\\Pennora.exe\"", 3, {AutoRunOwner::OtherCopy, kExe}},
    };
    for (const Case& c : cases) {
        SetValue(c.data, c.type);
        EXPECT_EQ(autoRun.Read(), c.state) << c.data;
    }
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(StartWithWindowsTest, AnUnreadableRegistryIsNeitherOnNorOff) {
    SetValue("\"C:\\工具\\Pennora\\Pennora.exe\"");
    faults.every = "RegOpenKeyExA";
    EXPECT_EQ(autoRun.Read(), (AutoRunState{AutoRunOwner::Unreadable, "", kErrorAccessDenied}));
    faults = {};
    faults.every = "RegQueryValueExA";
    EXPECT_EQ(autoRun.Read(), (AutoRunState{AutoRunOwner::Unreadable, "", kErrorAccessDenied}));
    // Nothing is written or deleted on a state that could not be read.
    EXPECT_EQ(autoRun.Apply(false), kErrorAccessDenied);
    EXPECT_EQ(autoRun.Apply(true), kErrorAccessDenied);
    EXPECT_EQ(Value()->data, std::string("\"C:\\工具\\Pennora\\Pennora.exe\"") + '\0');
}

TEST_F(StartWithWindowsTest, OnWritesTheQuotedPathAndOffRemovesOnlyThisCopysValue) {
    registry.Set(kRunKey, "OtherTool", kRegSz, std::string("C:\\other.exe") + '\0');

    ASSERT_EQ(autoRun.Apply(true), kErrorSuccess);
    ASSERT_TRUE(Value());
    EXPECT_EQ(Value()->type, kRegSz);
    EXPECT_EQ(Value()->data, std::string("\"C:\\工具\\Pennora\\Pennora.exe\"") + '\0');
    EXPECT_EQ(autoRun.Read().owner, AutoRunOwner::ThisCopy);

    registry.calls.clear();
    ASSERT_EQ(autoRun.Apply(true), kErrorSuccess);  // already so: nothing written
    for (const std::string& call : registry.calls) EXPECT_EQ(call.find("RegSetValueExA"), std::string::npos) << call;

    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);
    EXPECT_FALSE(Value());
    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);  // nothing to remove
    // Another program's value of the same key is never touched.
    ASSERT_TRUE(registry.FindValue(kRunKey, "OtherTool"));
    EXPECT_EQ(registry.FindValue(kRunKey, "OtherTool")->data, std::string("C:\\other.exe") + '\0');
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(StartWithWindowsTest, AnotherCopysValueStaysWhenOffAndIsTakenOverWhenOn) {
    SetValue("\"D:\\同步\\Pennora\\Pennora.exe\"");
    ASSERT_EQ(autoRun.Apply(false), kErrorSuccess);
    EXPECT_EQ(Value()->data, std::string("\"D:\\同步\\Pennora\\Pennora.exe\"") + '\0');
    ASSERT_EQ(autoRun.Apply(true), kErrorSuccess);
    EXPECT_EQ(Value()->data, std::string("\"C:\\工具\\Pennora\\Pennora.exe\"") + '\0');
}

TEST_F(StartWithWindowsTest, RefusedWritesAndDeletesReturnTheirCode) {
    faults.every = "RegCreateKeyExA";
    EXPECT_EQ(autoRun.Apply(true), kErrorAccessDenied);
    EXPECT_FALSE(Value());
    faults = {};
    faults.every = "RegSetValueExA";
    EXPECT_EQ(autoRun.Apply(true), kErrorAccessDenied);
    EXPECT_FALSE(Value());

    faults = {};
    SetValue("\"C:\\工具\\Pennora\\Pennora.exe\"");
    faults.every = "RegDeleteValueA";
    EXPECT_EQ(autoRun.Apply(false), kErrorAccessDenied);
    EXPECT_TRUE(Value());
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(StartWithWindowsTest, APathThatLostCharactersIsNeverWritten) {
    for (const char* path : {"C:\\? ?\\Pennora.exe", ""}) {
        StartWithWindows lossy{registry, path};
        EXPECT_EQ(lossy.Apply(true), kAutoRunPathNotAnsi) << path;
        EXPECT_FALSE(Value());
    }
}

TEST(AutoRunTextTest, NotesAndFailuresSayWhatHappened) {
    EXPECT_EQ(AutoRunNote({}), "");
    EXPECT_EQ(AutoRunNote({AutoRunOwner::ThisCopy, kExe}), "");
    const std::string other = AutoRunNote({AutoRunOwner::OtherCopy, "D:\\同步\\Pennora\\Pennora.exe"});
    EXPECT_NE(other.find("D:\\同步\\Pennora\\Pennora.exe"), std::string::npos) << other;
    EXPECT_NE(AutoRunNote({AutoRunOwner::Unreadable, "", kErrorAccessDenied}).find("拒绝访问"), std::string::npos);
    EXPECT_NE(AutoRunFailureText(true, kErrorAccessDenied).find("拒绝访问"), std::string::npos);
    EXPECT_NE(AutoRunFailureText(false, 1234).find("1234"), std::string::npos);
    // A path the program cannot write is its own limit, not the system's.
    const std::string notAnsi = AutoRunFailureText(true, kAutoRunPathNotAnsi);
    EXPECT_NE(notAnsi.find("Pennora 无法把这个路径写入"), std::string::npos) << notAnsi;
    EXPECT_EQ(notAnsi.find("Windows 无法"), std::string::npos) << notAnsi;
}

}  // namespace
}  // namespace pennora
