#pragma once
// The fixture the tests of the entry store and of its data file share.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "ui/ModeFlags.h"

namespace pennora {

using Strings = std::vector<std::string>;

inline const std::string kPath = "C:\\Tools\\Pennora\\Pennora.Dat";

inline Entry Titled(std::optional<std::string> title, std::optional<std::string> content = std::nullopt,
                    std::optional<bool> inDrag = std::nullopt, std::optional<bool> inHotKey = std::nullopt) {
    return {std::move(title), std::move(content), inDrag, inHotKey};
}

// A store with its data file on a fake file system; each stored change runs
// the program's AfterPost with lists that record what they were given.
class EntryStoreFixture : public ::testing::Test {
protected:
    EntryStoreFixture() {
        store.SetAfterPost([this] {
            ++afterPosts;
            ClientDataSet1AfterPost(store, flags, sinks);
        });
    }

    void Load(const std::vector<Entry>& entries) {
        files.files[kPath] = EncodeDataFile(entries);
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    }
    void LoadNumbered(int count) {
        std::vector<Entry> entries;
        for (int i = 1; i <= count; ++i) entries.push_back(Titled("E" + std::to_string(i), "c" + std::to_string(i)));
        Load(entries);
    }
    std::vector<Entry> SavedEntries() {
        DecodedDataFile decoded = DecodeDataFile(files.files.at(kPath));
        EXPECT_TRUE(decoded.ok()) << decoded.error;
        return decoded.entries;
    }
    Strings RowTitles() const {
        Strings titles;
        for (std::size_t row = 0; row < store.RowCount(); ++row) titles.push_back(store.Row(row).title.value_or("<null>"));
        return titles;
    }
    std::string CurrentTitle() const { return store.Current() ? store.Current()->title.value_or("<null>") : "<none>"; }

    fakes::FakeFileSystem files;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kPath};
    ModeFlags flags;
    int afterPosts = 0;
    Strings fillMenu{"stale"};
    Strings dragList{"stale"};
    FillListSinks sinks{[this](const Strings& titles) { fillMenu = titles; },
                        [this](const Strings& titles) { dragList = titles; }};
};

}  // namespace pennora
