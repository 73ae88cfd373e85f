#include "entries/DataFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "fakes/CallLog.h"
#include "platform/Error.h"

// The largest single allocation while `trackAllocations` is set: the reader
// must not size anything by a count the bytes cannot back.
namespace {
bool trackAllocations = false;
std::size_t largestAllocation = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (trackAllocations && size > largestAllocation) largestAllocation = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pennora {
namespace {

Entry MakeEntry(std::optional<std::string> title, std::optional<std::string> content, std::optional<bool> inDrag,
                std::optional<bool> inHotKey) {
    return {std::move(title), std::move(content), inDrag, inHotKey};
}

const std::vector<Entry> kMixedEntries = {
    MakeEntry(std::nullopt, std::nullopt, std::nullopt, std::nullopt),
    MakeEntry("", "", false, false),
    MakeEntry("灌水", "第一行\r\n第二行", true, std::nullopt),
    MakeEntry("灌水", std::nullopt, std::nullopt, true),
    MakeEntry(std::string(kTitleWidth, 'T'), std::string(kContentWidth, '\xB9'), false, true),
};

// Rewrites the checksum after a test changed bytes, so the reader's other
// checks are reached.
std::string Resealed(std::string bytes) {
    std::uint32_t crc = Crc32(std::string_view(bytes).substr(0, bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>(crc >> (8 * i));
    return bytes;
}

TEST(DataFileTest, RoundTripKeepsNullEmptyFalseAndOrder) {
    DecodedDataFile decoded = DecodeDataFile(EncodeDataFile(kMixedEntries));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.entries, kMixedEntries);

    DecodedDataFile empty = DecodeDataFile(EncodeDataFile({}));
    ASSERT_TRUE(empty.ok()) << empty.error;
    EXPECT_TRUE(empty.entries.empty());
}

TEST(DataFileTest, LayoutOfOneEntryIsStable) {
    // Files already written must stay readable: magic, version 1, one entry,
    // 8 payload bytes, the entry, and its CRC-32 (as zlib computes it).
    const std::string expected = std::string("PNRD\r\n\x1A\n", 8) +
                                 std::string("\x01\x00\x00\x00" "\x01\x00\x00\x00" "\x08\x00\x00\x00", 12) +
                                 std::string("\x01\x02\x00" "Hi" "\x00" "\x01" "\x02", 8) + "\x26\xAB\x27\x76";
    std::string bytes = EncodeDataFile({MakeEntry("Hi", std::nullopt, false, true)});
    EXPECT_EQ(fakes::Quoted(bytes), fakes::Quoted(expected));
}

TEST(DataFileTest, EncodeRefusesTextsBeyondTheirWidth) {
    EXPECT_THROW(EncodeDataFile({MakeEntry(std::string(kTitleWidth + 1, 'a'), "", true, true)}), Error);
    EXPECT_THROW(EncodeDataFile({MakeEntry("", std::string(kContentWidth + 1, 'a'), true, true)}), Error);
}

TEST(DataFileTest, EveryTruncationAndEveryFlippedByteIsRejected) {
    const std::string good = EncodeDataFile(kMixedEntries);
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(DecodeDataFile(good.substr(0, size)).ok()) << "prefix of " << size << " bytes";
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x20);
        EXPECT_FALSE(DecodeDataFile(bad).ok()) << "byte " << at << " changed";
    }
    EXPECT_FALSE(DecodeDataFile(good + "x").ok());
}

TEST(DataFileTest, ForeignAndInconsistentFilesAreRejectedWithAReason) {
    const std::string oneEntry = EncodeDataFile({MakeEntry("Hi", std::nullopt, false, true)});
    auto withByte = [](std::string bytes, std::size_t at, char value) {
        bytes[at] = value;
        return Resealed(bytes);
    };
    const std::string longestTitle = EncodeDataFile({MakeEntry(std::string(kTitleWidth, 'a'), "", true, true)});
    const std::size_t payload = 20;
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"text file", "Title=Hi\r\nContent=\r\n"},
        {"line ends converted", Resealed(std::string("PNRD\n\x1A\n", 7) + oneEntry.substr(8))},
        {"newer version", withByte(oneEntry, 8, 2)},
        {"version zero", withByte(oneEntry, 8, 0)},
        {"more entries than the payload holds", withByte(oneEntry, 12, 2)},
        {"huge entry count", withByte(oneEntry, 15, '\x7F')},
        {"payload length disagrees with the file", withByte(oneEntry, 16, 9)},
        {"unknown text tag", withByte(oneEntry, payload, 2)},
        {"title longer than its width", withByte(longestTitle, payload + 1, char(kTitleWidth + 1))},
        {"flag value out of range", withByte(oneEntry, payload + 6, 3)},
    };
    for (const Case& c : cases) {
        DecodedDataFile decoded = DecodeDataFile(c.bytes);
        EXPECT_FALSE(decoded.ok()) << c.what;
        EXPECT_FALSE(decoded.error.empty()) << c.what;
        EXPECT_TRUE(decoded.entries.empty()) << c.what;
    }
}

TEST(DataFileTest, ACraftedEntryCountCannotMakeTheReaderAllocateBeyondTheFile) {
    // As many entries as the payload could hold at the smallest entry size,
    // with a valid checksum, but the first entry is already broken.
    const std::uint32_t payloadSize = 64 * 1024;
    std::string bytes = std::string("PNRD\r\n\x1A\n", 8);
    for (std::uint32_t value : {kDataFileVersion, payloadSize / 4, payloadSize})
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
    bytes += std::string(1, '\x02') + std::string(payloadSize - 1, '\0') + std::string(4, '\0');
    bytes = Resealed(bytes);

    largestAllocation = 0;
    trackAllocations = true;
    DecodedDataFile decoded = DecodeDataFile(bytes);
    trackAllocations = false;
    EXPECT_FALSE(decoded.ok());
    EXPECT_LE(largestAllocation, bytes.size());
}

TEST(DataFileTest, ANewerFormatIsToldApartFromADamagedFile) {
    std::string bytes = EncodeDataFile({MakeEntry("Hi", std::nullopt, false, true)});
    bytes[8] = 3;
    DecodedDataFile newer = DecodeDataFile(Resealed(bytes));
    EXPECT_FALSE(newer.ok());
    EXPECT_EQ(newer.newerVersion, 3u);
    EXPECT_NE(newer.error.find('3'), std::string::npos) << newer.error;

    bytes[8] = 0;
    EXPECT_EQ(DecodeDataFile(Resealed(bytes)).newerVersion, 0u);
}

}  // namespace
}  // namespace pennora
