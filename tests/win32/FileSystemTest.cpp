// The real file seam under Wine: atomic replace, failures that keep the old
// file, and moving an unreadable file aside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "entries/DataFile.h"
#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "entries/EntryTransferTarget.h"
#include "platform/win32/FilePath.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/LongFolder.h"

namespace pennora {
namespace {

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "pennora-fs-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        path = folder + "Pennora.Dat";
    }
    void TearDown() override {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string file = folder + found.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(folder.c_str());
    }

    std::string Read(const std::string& file) {
        std::string bytes;
        FileError error = files.ReadWholeFile(file, bytes);
        EXPECT_EQ(error, "");
        return bytes;
    }
    int FilesInFolder() {
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(find, &found));
        FindClose(find);
        return count;
    }

    Win32FileSystem files;
    std::string folder;
    std::string path;
};

const std::string kOld = std::string("old\0contents\x1A\r\n", 15);
const std::string kNew = "新的内容\r\n";

TEST_F(FileSystemTest, SaveCreatesThenReplacesTheWholeFile) {
    EXPECT_EQ(files.QueryFile(path).state, FileState::Absent);
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    EXPECT_EQ(files.QueryFile(path).state, FileState::Present);
    EXPECT_EQ(Read(path), kOld);

    ASSERT_EQ(files.SaveWholeFile(path, kNew), "");
    EXPECT_EQ(Read(path), kNew);
    EXPECT_EQ(FilesInFolder(), 1);  // no temporary file left behind
}

TEST_F(FileSystemTest, SaveIntoAMissingFolderNamesTheFile) {
    std::string missing = folder + "no-such-folder\\Pennora.Dat";
    FileError error = files.SaveWholeFile(missing, kNew);
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_GT(error.size(), missing.size() + 12) << "no system reason: " << error;
}

// A leftover temporary file that cannot be replaced blocks the save: the
// error names it, not only the data file.
TEST_F(FileSystemTest, SaveThatCannotWriteItsTemporaryFileNamesItAndKeepsTheOldFileWhole) {
    const std::string temp = path + ".saving";
    for (bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "a folder" : "a file held open by another program");
        ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (folder) {
            ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
        } else {
            held = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        FileError error = files.SaveWholeFile(path, kNew);
        EXPECT_NE(error.find("\"" + temp + "\""), std::string::npos) << error;
        EXPECT_EQ(Read(path), kOld);
        if (folder) {
            RemoveDirectoryA(temp.c_str());
        } else {
            CloseHandle(held);
            DeleteFileA(temp.c_str());
        }
    }
}

// Sync clients, backup tools and scanners hold a file open for writing (and
// deleting); that is no reason not to read it.
TEST_F(FileSystemTest, ReadsAFileThatAnotherProgramHoldsOpenForWriting) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(path), kOld);
    CloseHandle(held);
}

// A scanner that opens the old or the fresh file for a moment refuses the
// replace for that moment only.
TEST_F(FileSystemTest, AReplaceRefusedForAMomentIsRetried) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE release = CreateThread(
        nullptr, 0,
        [](LPVOID handle) -> DWORD {
            Sleep(300);
            CloseHandle(handle);
            return 0;
        },
        held, 0, nullptr);

    EXPECT_EQ(files.SaveWholeFile(path, kNew), "");
    WaitForSingleObject(release, INFINITE);
    CloseHandle(release);
    EXPECT_EQ(Read(path), kNew);
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(FileSystemTest, RenameRefusesAnExistingTargetAndRemoveAMissingFileIsNoError) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    ASSERT_EQ(files.SaveWholeFile(path + ".saving", kNew), "");  // after: a save writes through that name
    FileError error = files.RenameFile(path + ".saving", path);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(Read(path), kOld);

    ASSERT_EQ(files.RemoveFile(path), "");
    EXPECT_EQ(files.RemoveFile(path), "");
    ASSERT_EQ(files.RenameFile(path + ".saving", path), "");
    EXPECT_EQ(Read(path), kNew);
    EXPECT_EQ(files.QueryFile(path + ".saving").state, FileState::Absent);
}

TEST_F(FileSystemTest, SaveOverAFileHeldOpenByAnotherProgramKeepsItWhole) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    FileError error = files.SaveWholeFile(path, kNew);
    CloseHandle(held);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(FilesInFolder(), 1);  // the temporary file is removed
}

// A look-up the system refuses for another reason than "not found" (here a
// name no file can have) is neither an answer yes nor no.
TEST_F(FileSystemTest, ALookUpThatFailsIsReportedWithThePathAndTheReason) {
    const std::string bad = folder + "a<b.htm";
    FileQuery query = files.QueryFile(bad);
    EXPECT_EQ(query.state, FileState::Unknown);
    EXPECT_NE(query.error.find(bad), std::string::npos) << query.error;
    EXPECT_GT(query.error.size(), bad.size() + 12) << "no system reason: " << query.error;
    EXPECT_EQ(files.QueryFile(folder).state, FileState::Absent);  // a folder is no file
}

TEST_F(FileSystemTest, ReadOfAMissingFileNamesTheFile) {
    std::string bytes = "untouched";
    FileError error = files.ReadWholeFile(path, bytes);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(bytes, "untouched");
}

TEST_F(FileSystemTest, MoveAsideTakesTheFirstFreeName) {
    ASSERT_EQ(files.SaveWholeFile(path + ".unreadable-1", "earlier"), "");
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");

    std::string movedTo;
    ASSERT_EQ(files.MoveAside(path, movedTo), "");
    EXPECT_EQ(movedTo, path + ".unreadable-2");
    EXPECT_EQ(files.QueryFile(path).state, FileState::Absent);
    EXPECT_EQ(Read(movedTo), kOld);
    EXPECT_EQ(Read(path + ".unreadable-1"), "earlier");

    FileError error = files.MoveAside(path, movedTo);
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST_F(FileSystemTest, StoreSavesANewFileAndSetsAnUnreadableOneAside) {
    EntryStore first;
    DataFileKeeper firstFile{first, files, path};
    EXPECT_EQ(firstFile.Load().status, DataFileKeeper::LoadStatus::NoFile);
    first.SetTitle("灌水");
    firstFile.Save();

    EntryStore second;
    DataFileKeeper secondFile{second, files, path};
    ASSERT_EQ(secondFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    EXPECT_EQ(second.Current()->title, "灌水");

    ASSERT_EQ(files.SaveWholeFile(path, "garbage"), "");
    EntryStore third;
    DataFileKeeper thirdFile{third, files, path};
    DataFileKeeper::LoadResult result = thirdFile.Load();
    EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::Unreadable);
    EXPECT_NE(result.message.find(path + ".unreadable-1"), std::string::npos) << result.message;
    EXPECT_EQ(Read(path + ".unreadable-1"), "garbage");
}

// A tool copied deep into a folder tree: "Pennora.Dat" still fits the classic
// path limit, the temporary and side files beside it do not.
TEST(LongFolderFileSystemTest, EveryOperationWorksInAFolderAtTheEdgeOfThePathLimit) {
    testing::LongFolder deep(246);
    Win32FileSystem files;
    const std::string path = deep.path() + "Pennora.Dat", unsaved = path + ".unsaved";
    EXPECT_EQ(files.QueryFile(unsaved).state, FileState::Absent);
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    ASSERT_EQ(files.SaveWholeFile(unsaved, kNew), "");
    EXPECT_EQ(files.QueryFile(unsaved).state, FileState::Present);
    std::string bytes;
    ASSERT_EQ(files.ReadWholeFile(unsaved, bytes), "");
    EXPECT_EQ(bytes, kNew);

    std::string movedTo;
    ASSERT_EQ(files.MoveAside(path, movedTo), "");
    EXPECT_EQ(movedTo, path + ".unreadable-1");
    ASSERT_EQ(files.RenameFile(movedTo, path), "");
    ASSERT_EQ(files.RemoveFile(unsaved), "");
    EXPECT_EQ(files.QueryFile(unsaved).state, FileState::Absent);
    ASSERT_EQ(files.ReadWholeFile(path, bytes), "");
    EXPECT_EQ(bytes, kOld);
}

// The classic functions refuse a path from 248 characters (a new folder
// must leave room for an 8.3 name): from there on, and only from there, the
// wide path gets the "\\?\" prefix.
TEST(FilePathTest, PathsFromTheClassicLimitOnGetTheLongPathPrefix) {
    const std::string shortest = "C:\\" + std::string(244, 'p');  // 247 characters
    ASSERT_EQ(shortest.size(), 247u);
    EXPECT_EQ(FilePathW(shortest), std::wstring(shortest.begin(), shortest.end()));
    const std::string longer = shortest + "q";
    EXPECT_EQ(FilePathW(longer), L"\\\\?\\" + std::wstring(longer.begin(), longer.end()));
}

// Every name of one file, short, relative or with a trailing dot, comes to
// one identity; so an export cannot reach the data file by another name.
TEST_F(FileSystemTest, EveryNameOfAFileHasOneIdentity) {
    const std::string unsaved = UnsavedFileOf(path);
    ASSERT_EQ(files.SaveWholeFile(unsaved, kOld), "");
    char shortName[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(unsaved.c_str(), shortName, MAX_PATH), 0u) << GetLastError();
    char shortFolder[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH), 0u) << GetLastError();
    ASSERT_NE(std::string(shortName), unsaved);  // the test shows something only if the system made 8.3 names
    char current[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    const std::string identity = FileIdentityOf(unsaved);
    const std::string folderName = folder.substr(folder.find_last_of('\\', folder.size() - 2) + 1);
    const std::string sameFile[] = {
        shortName,
        "Pennora.Dat.unsaved",
        "..\\" + folderName + "Pennora.Dat.unsaved",
        unsaved + ".",
        unsaved + " ",
    };
    for (const std::string& name : sameFile)
        EXPECT_TRUE(SameFileName(FileIdentityOf(name), identity)) << name << " -> " << FileIdentityOf(name);
    // A file yet to be written, in a folder named short: the folder's long name.
    EXPECT_TRUE(SameFileName(FileIdentityOf(std::string(shortFolder) + "new.csv"), folder + "new.csv"))
        << FileIdentityOf(std::string(shortFolder) + "new.csv");

    const OwnFiles own{path, folder + "Pennora.Ini", ""};
    EXPECT_NE(ExportTargetRefusal(shortName, own, FileIdentityOf), "");
    EXPECT_EQ(ExportTargetRefusal(std::string(shortFolder) + "Pennora.csv", own, FileIdentityOf), "");
    SetCurrentDirectoryA(current);
}

class SteadyClock final : public Clock {
public:
    LocalTime GetLocalTime() override { return {2026, 12, 10, 17, 45, 12}; }
};

// Deep in a folder tree, past where the ANSI functions stop (the versions'
// folder's path is 261 characters long): the versions' folder is made, a
// save keeps the file it replaces there, and the versions are listed.
TEST(LongFolderFileSystemTest, VersionsAreKeptAndListedInAFolderPastTheClassicLimit) {
    testing::LongFolder deep(254);
    Win32FileSystem files;
    Win32FolderFiles folders;
    SteadyClock clock;
    const std::string path = deep.path() + "Pennora.Dat";
    DataFileBackups backups(files, folders, clock, path);
    EntryStore store;
    DataFileKeeper dataFile{store, files, path};
    std::vector<std::string> told;
    dataFile.KeepEarlierVersions(backups, [&](const std::string& text) { told.push_back(text); });
    ASSERT_EQ(files.SaveWholeFile(path, EncodeDataFile({Entry{"first", {}, {}, {}}})), "");
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    store.SetTitle("second");
    dataFile.Save();
    store.SetTitle("third");
    dataFile.Save();

    EXPECT_EQ(told, std::vector<std::string>{});
    const std::vector<DataFileBackups::Version> versions = backups.Versions();
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].path, backups.Folder() + "\\Pennora-000002-20261210-174512.Dat");
    const auto newest = backups.NewestReadable();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->entries, (std::vector<Entry>{Entry{"second", {}, {}, {}}}));
    std::string bytes;
    ASSERT_EQ(files.ReadWholeFile(versions[1].path, bytes), "");
    EXPECT_EQ(DecodeDataFile(bytes).entries, (std::vector<Entry>{Entry{"first", {}, {}, {}}}));
}

// The old file is moved into the versions' folder, not copied: the save
// leaves it whole there and the new file in place.
TEST_F(FileSystemTest, SaveKeepingOldMovesTheReplacedFileAside) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    const std::string keep = folder + "kept.Dat";
    FileError notKept;
    ASSERT_EQ(files.SaveWholeFileKeepingOld(path, kNew, keep, notKept), "");
    EXPECT_EQ(notKept, "");
    EXPECT_EQ(Read(path), kNew);
    EXPECT_EQ(Read(keep), kOld);
    EXPECT_EQ(files.QueryFile(SavingFileOf(path)).state, FileState::Absent);

    // A name that is taken: the old file is replaced as by a plain save, and
    // the reason is given.
    ASSERT_EQ(files.SaveWholeFileKeepingOld(path, kOld, keep, notKept), "");
    EXPECT_NE(notKept.find(keep), std::string::npos) << notKept;
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(Read(keep), kOld);
    EXPECT_EQ(FilesInFolder(), 2);
}

// The old file held open by another program without delete sharing can be
// neither moved aside nor replaced: the save fails, names the file, and the
// old file stays whole in place with no temporary file left behind.
TEST_F(FileSystemTest, SaveKeepingOldOverAFileHeldOpenKeepsItWholeInPlace) {
    ASSERT_EQ(files.SaveWholeFile(path, kOld), "");
    const std::string keep = folder + "kept.Dat";
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    FileError notKept;
    const FileError error = files.SaveWholeFileKeepingOld(path, kNew, keep, notKept);
    CloseHandle(held);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(notKept.find(keep), std::string::npos) << notKept;
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(files.QueryFile(keep).state, FileState::Absent);
    EXPECT_EQ(files.QueryFile(SavingFileOf(path)).state, FileState::Absent);
}

}  // namespace
}  // namespace pennora
