// The files an export refuses to write: the program's own, reached by any
// name the system gives them. Paths here are GBK (this file's literals are
// compiled to GBK), as the dialog returns them.
#include "entries/EntryTransferTarget.h"

#include <gtest/gtest.h>

#include <map>

namespace pennora {
namespace {

const OwnFiles kOwn{"C:\\App\\Pennora.Dat", "C:\\App\\Pennora.Ini", "C:\\App\\工具.exe"};

// The system's view: short and relative names of a few files, every other
// path already its own full, long name.
std::string Identify(const std::string& path) {
    static const std::map<std::string, std::string> names{
        {"C:\\App\\PENNOR~1.DAT", "C:\\App\\Pennora.Dat"},
        {"Pennora.Dat", "C:\\App\\Pennora.Dat"},
        {"..\\App\\Pennora.Ini", "C:\\App\\Pennora.Ini"},
        {"C:\\App\\PENNOR~2.UNS", "C:\\App\\Pennora.Dat.unsaved"},
        {"C:\\App\\BACKUP~1", "C:\\App\\Backup"},
        {"C:\\App\\BACKUP~1\\new.csv", "C:\\App\\Backup\\new.csv"},
        {"C:\\PROGRA~1\\App\\Pennora.Dat", "C:\\Program Files\\App\\Pennora.Dat"},
    };
    const auto found = names.find(path);
    return found == names.end() ? path : found->second;
}

TEST(ExportTargetTest, RefusesTheProgramsOwnFilesByAnyNameAndTakesOthers) {
    const struct {
        const char* target;
        bool refused;
    } cases[] = {
        {"C:\\App\\Pennora.Dat", true},
        {"c:\\app\\PENNORA.DAT", true},
        {"C:\\App\\PENNOR~1.DAT", true},  // 8.3 name
        {"Pennora.Dat", true},            // relative to the current folder
        {"C:\\App\\pennora.ini", true},
        {"..\\App\\Pennora.Ini", true},
        {"C:\\App\\工具.EXE", true},  // the exe under the name it was started by
        {"C:\\App\\Pennora.Dat.UNSAVED", true},
        {"C:\\App\\PENNOR~2.UNS", true},
        {"C:\\App\\Pennora.Dat.saving", true},
        {"C:\\App\\Pennora.Dat.unreadable-12", true},
        {"C:\\App\\backup\\Pennora-000012-20261210-174512.Dat", true},
        {"C:\\App\\Backup\\older\\x.csv", true},
        {"C:\\App\\BACKUP~1\\new.csv", true},
        {"C:\\App\\Pennora.csv", false},
        {"C:\\App\\Pennora.Dat.csv", false},
        {"C:\\App\\Pennora.Dat.unreadable-", false},
        {"C:\\App\\Pennora.Dat.unreadable-1.csv", false},
        {"C:\\App\\Pennora.Datx", false},
        {"C:\\App\\Backup.csv", false},
        {"C:\\App\\Backups\\x.csv", false},
        {"C:\\App\\Sub\\Pennora.Dat", false},
        {"D:\\App\\Pennora.Dat", false},
        {"C:\\App\\工具.exe.csv", false},
    };
    for (const auto& c : cases) {
        const std::string refusal = ExportTargetRefusal(c.target, kOwn, Identify);
        EXPECT_EQ(!refusal.empty(), c.refused) << c.target << ": " << refusal;
        if (c.refused) EXPECT_NE(refusal.find(c.target), std::string::npos) << refusal;
    }
}

TEST(ExportTargetTest, OwnFilesNamedShortAreFoundByTheirLongName) {
    const OwnFiles own{"C:\\PROGRA~1\\App\\Pennora.Dat", "C:\\PROGRA~1\\App\\Pennora.Ini", ""};
    EXPECT_FALSE(ExportTargetRefusal("C:\\Program Files\\App\\pennora.dat", own, Identify).empty());
    EXPECT_TRUE(ExportTargetRefusal("C:\\Program Files\\App\\Pennora.csv", own, Identify).empty());
}

TEST(ExportTargetTest, FileNamesIgnoreLetterCaseButNeverSplitATwoByteCharacter) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"AZaz09.Dat", "azAZ09.dAT", true},
        {"Ｐｅｎｏｒａ", "ｐＥＮＯＲＡ", true},  // full-width Latin
        {"ΑΩ", "αω", true},                      // Greek
        {"АЯЁ", "аяё", true},                    // Cyrillic
        {"Ａ", "A", false},
        {"\x81\x41", "\x81\x61", false},  // two characters whose second bytes are 'A' and 'a'
        {"\xA3\x41", "\xA3\x61", false},
        {"x\x81", "X\x81", true},  // a lead byte at the end
        {"数据", "数据.", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameFileName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace pennora
