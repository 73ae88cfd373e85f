// Entries as a CSV text file: the bytes the writer makes, what the reader
// takes and refuses (with the line it names), and export and import on the
// store. Texts in the store are GBK (this file's literals are compiled to
// GBK); the file's texts are UTF-8 (the u8 literals).
#include "entries/DataFileKeeper.h"
#include "entries/EntryCsv.h"

#include <gtest/gtest.h>

#include "entries/DataFile.h"
#include "entries/EntryTransfer.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/IconvCodec.h"
#include "platform/Error.h"

namespace pennora {
namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string Repeated(const std::string& text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "Title,Content,InDrag,InHotKey\r\n";

Entry MakeEntry(std::optional<std::string> title, std::optional<std::string> content = std::nullopt,
                std::optional<bool> inDrag = std::nullopt, std::optional<bool> inHotKey = std::nullopt) {
    return {std::move(title), std::move(content), inDrag, inHotKey};
}

class EntryCsvTest : public ::testing::Test {
protected:
    DecodedEntryCsv Decode(const std::string& bytes) { return DecodeEntryCsv(bytes, codec); }
    fakes::IconvCodec codec;
};

TEST_F(EntryCsvTest, WriterQuotesOnlyWhatNeedsItAndKeepsNullEmptyAndFalseApart) {
    const std::vector<Entry> entries = {
        MakeEntry(std::nullopt),
        MakeEntry("", "", false, true),
        MakeEntry("A,\"B\"", "第一行\r\n第二行", true, std::nullopt),
        MakeEntry("灌水", "plain"),
    };
    EXPECT_EQ(EncodeEntryCsv(entries, codec), kBom + kHeader + ",,,\r\n" + "\"\",\"\",0,1\r\n" +
                                                  U8(u8"\"A,\"\"B\"\"\",\"第一行\r\n第二行\",1,\r\n") +
                                                  U8(u8"灌水,plain,,\r\n"));
    EXPECT_EQ(EncodeEntryCsv({}, codec), kBom + kHeader);
}

TEST_F(EntryCsvTest, EveryKindOfTextComesBackByteForByte) {
    // Texts as the editor makes them: a title holds no line break, a content
    // breaks its lines with CR LF (a lone CR has no special meaning).
    const std::optional<std::string> texts[] = {
        std::nullopt, "", " ", "plain", "a,b", "\"", "say \"hi\"", "\"\"", ",", "灌水，中文“引号”",
        std::string(50, 'x') + "。", "tab\there", "\t",
    };
    const std::optional<std::string> contents[] = {"line\r\nbreak", "lone\rCR", "\r\n", "ends with CR\r", "\r\r\n\r\n"};
    std::vector<Entry> entries;
    for (const auto& text : texts) entries.push_back(MakeEntry(text, text, std::nullopt, false));
    for (const auto& content : contents) entries.push_back(MakeEntry("t", content, true, std::nullopt));
    // Both texts at their width, Chinese characters up to the last byte.
    entries.push_back(MakeEntry(Repeated("灌", kTitleWidth / 2),
                                std::string(kContentWidth / 2, 'C') + Repeated("水", kContentWidth / 4), true, true));

    DecodedEntryCsv decoded = Decode(EncodeEntryCsv(entries, codec));

    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.entries, entries);
}

TEST_F(EntryCsvTest, ReaderTakesWhatSpreadsheetsAndEditorsWrite) {
    const std::vector<Entry> expected = {MakeEntry("灌水", "a\r\nb", true, false), MakeEntry("", std::nullopt, std::nullopt, true)};
    const std::string variants[] = {
        U8(u8"Title,Content,InDrag,InHotKey\n灌水,\"a\nb\",1,0\n\"\",,,1\n"),                              // no BOM, LF only
        kBom + U8(u8"\"Title\",\"Content\",\"InDrag\",\"InHotKey\"\r\n\"灌水\",\"a\nb\",\"1\",\"0\"\r\n\"\",,\"\",1"),  // all quoted, no last break
        kBom + kHeader + U8(u8"灌水,\"a\nb\",1,0\r\n\r\n\"\",,,1\r\n\r\n"),                                   // blank lines
    };
    for (const std::string& bytes : variants) {
        SCOPED_TRACE(bytes);
        DecodedEntryCsv decoded = Decode(bytes);
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        EXPECT_EQ(decoded.entries, expected);
    }
    DecodedEntryCsv headerOnly = Decode(kBom + kHeader);
    ASSERT_TRUE(headerOnly.ok()) << headerOnly.error;
    EXPECT_TRUE(headerOnly.entries.empty());
}

// Spreadsheets break the lines of a cell with LF alone; the drop types only
// CR LF as a line break, so a content's lone LF becomes CR LF.
TEST_F(EntryCsvTest, ALineFeedWithoutCarriageReturnInAContentBecomesCrLf) {
    const struct {
        std::string field;
        std::string content;
    } cases[] = {
        {"\"a\nb\"", "a\r\nb"},
        {"\"\n\n\"", "\r\n\r\n"},
        {"\"a\r\nb\nc\"", "a\r\nb\r\nc"},
        {"\"a\r\nb\"", "a\r\nb"},
        {"\"a\r\rb\"", "a\r\rb"},
        {"\"a\r\r\nb\n\"", "a\r\r\nb\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        DecodedEntryCsv decoded = Decode(kHeader + "t," + c.field + ",,\n");
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        ASSERT_EQ(decoded.entries.size(), 1u);
        EXPECT_EQ(decoded.entries[0].content, c.content);
    }
    // The width counts the content as it is stored.
    DecodedEntryCsv atWidth = Decode(kHeader + "t,\"" + std::string(998, 'x') + "\n\",,\r\n");
    ASSERT_TRUE(atWidth.ok()) << atWidth.error;
    EXPECT_EQ(atWidth.entries[0].content->size(), kContentWidth);
    DecodedEntryCsv tooWide = Decode(kHeader + "t,\"" + std::string(999, 'x') + "\n\",,\r\n");
    EXPECT_NE(tooWide.error.find("内容有 1001 个字节"), std::string::npos) << tooWide.error;
}

TEST_F(EntryCsvTest, ReaderRefusesTheWholeFileAndNamesTheFirstBadLine) {
    const std::string chinese51 = Repeated(U8(u8"灌"), 51);
    const struct {
        const char* what;
        std::string bytes;
        std::size_t line;
        std::string reason;  // a part of the message
    } cases[] = {
        {"empty file", "", 1, "标题行"},
        {"only the byte-order mark", kBom, 1, "标题行"},
        {"wrong header", kBom + "Name,Content,InDrag,InHotKey\r\na,b,,\r\n", 1, "标题行"},
        {"header with a column missing", "Title,Content,InDrag\r\n", 1, "标题行"},
        {"quote inside an unquoted field", kHeader + "ok,,,\r\nab\"c,,,\r\n", 3, "不带引号的字段中有引号"},
        {"text after a closing quote", kHeader + "\"a\"b,,,\r\n", 2, "结束的引号后面"},
        {"quote never closed", kHeader + "a,,,\r\n\"abc\r\nmore,,,\r\n", 3, "缺少结束的引号"},
        {"lone CR outside quotes", kHeader + "a,,,\rb,,,\r\n", 2, "回车符"},
        {"invalid UTF-8", kHeader + "a,,,\r\n\xB9\xE0,,,\r\n", 3, "UTF-8"},
        {"overlong UTF-8", kHeader + "\xC0\xAF,,,\r\n", 2, "UTF-8"},
        {"UTF-8 surrogate", kHeader + "\xED\xA0\x80,,,\r\n", 2, "UTF-8"},
        {"a character GBK cannot hold", kHeader + U8(u8"ok,😀,,\r\n"), 2, "U+1F600"},
        {"title of 101 bytes", kHeader + std::string(101, 'x') + ",,,\r\n", 2, "标题有 101 个字节"},
        {"title of 51 Chinese characters", kHeader + chinese51 + ",,,\r\n", 2, "标题有 102 个字节"},
        {"content of 1001 bytes", kHeader + "t," + std::string(1001, 'x') + ",,\r\n", 2, "内容有 1001 个字节"},
        {"flag other than 0 or 1", kHeader + "t,c,2,\r\n", 2, "InDrag"},
        {"flag spelled out", kHeader + "t,c,,true\r\n", 2, "InHotKey 只能是空、0 或 1，这里是“true”"},
        {"three fields", kHeader + "t,c,1\r\n", 2, "有 3 个字段"},
        {"five fields", kHeader + "t,c,1,1,\r\n", 2, "有 5 个字段"},
        {"line counted across a quoted line break", kHeader + "x,\"a\r\ny\",,\r\nbad,,,2\r\n", 4, "InHotKey"},
        {"title with CR LF", kHeader + "ok,,,\r\n\"a\r\nb\",,,\r\n", 3, "标题中不能有换行"},
        {"title with a lone LF", kHeader + "\"a\nb\",c,,\r\n", 2, "标题中不能有换行"},
        {"title with a lone CR", kHeader + "\"a\rb\",c,,\r\n", 2, "标题中不能有换行"},
        {"NUL in a title", kHeader + std::string("a\0b,c,,\r\n", 9), 2, "标题中有控制字符 U+0000"},
        {"escape in a title", kHeader + "a\x1B,c,,\r\n", 2, "标题中有控制字符 U+001B"},
        {"DEL in a title", kHeader + "a\x7F,c,,\r\n", 2, "标题中有控制字符 U+007F"},
        {"NUL in a content", kHeader + std::string("t,a\0,,\r\n", 8), 2, "内容中有控制字符 U+0000"},
        {"form feed in a content", kHeader + "t,\"a\x0C\",,\r\n", 2, "内容中有控制字符 U+000C"},
        {"unit separator in a content", kHeader + "t,\x1F,,\r\n", 2, "内容中有控制字符 U+001F"},
        {"control character named on its own line", kHeader + "t,\"a\r\nb\nc\x01\",,\r\n", 4, "U+0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedEntryCsv decoded = Decode(c.bytes);
        EXPECT_FALSE(decoded.ok());
        EXPECT_TRUE(decoded.entries.empty());
        EXPECT_EQ(decoded.line, c.line);
        EXPECT_EQ(decoded.error.rfind("第 " + std::to_string(c.line) + " 行：", 0), 0u) << decoded.error;
        EXPECT_NE(decoded.error.find(c.reason), std::string::npos) << decoded.error;
    }
}

TEST_F(EntryCsvTest, TextsAtTheirWidthInGbkBytesAreTaken) {
    DecodedEntryCsv decoded = Decode(kHeader + Repeated(U8(u8"灌"), 50) + "," + std::string(1000, 'c') + ",,\r\n");
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    ASSERT_EQ(decoded.entries.size(), 1u);
    EXPECT_EQ(decoded.entries[0].title->size(), kTitleWidth);
}

// ---- Export and import on the store ---------------------------------------------

const std::string kDataPath = "C:\\Tools\\Pennora\\Pennora.Dat";
const std::string kCsvPath = "C:\\Users\\me\\entries.csv";

const std::vector<Entry> kMixedEntries = {
    MakeEntry(std::nullopt),
    MakeEntry("", "", false, false),
    MakeEntry("灌水", "第一行\r\n第二行", true, std::nullopt),
    MakeEntry("灌水", std::nullopt, std::nullopt, true),
    MakeEntry("A,\"B\"", "lone\rCR", false, true),
};

class EntryTransferTest : public ::testing::Test {
protected:
    EntryTransferTest() {
        store.SetAfterPost([this] { ++afterPosts; });
    }
    void Load(const std::vector<Entry>& entries) {
        files.files[kDataPath] = EncodeDataFile(entries);
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    }
    std::vector<Entry> Rows() const {
        std::vector<Entry> rows;
        for (std::size_t row = 0; row < store.RowCount(); ++row) rows.push_back(store.Row(row));
        return rows;
    }

    fakes::FakeFileSystem files;
    fakes::IconvCodec codec;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kDataPath};
    int afterPosts = 0;
};

TEST_F(EntryTransferTest, ExportCommitsThePendingChangeAndWritesThroughAReplace) {
    Load({MakeEntry("A"), MakeEntry("B")});
    store.Next();
    store.SetContent("typed, not yet stored");

    ExportEntries(store, files, codec, kCsvPath);

    EXPECT_FALSE(store.IsEditing());
    EXPECT_EQ(afterPosts, 1);
    EXPECT_EQ(files.calls, fakes::CallLog{"SaveWholeFile(" + fakes::Quoted(kCsvPath) + ")"});
    EXPECT_EQ(files.files.at(kCsvPath), kBom + kHeader + "A,,,\r\n" + "B,\"typed, not yet stored\",,\r\n");
}

TEST_F(EntryTransferTest, ExportOfATextThatIsNotGbkNamesTheEntryAndWritesNothing) {
    Load({MakeEntry("A"), MakeEntry("\x81")});  // a lead byte without its second byte
    try {
        ExportEntries(store, files, codec, kCsvPath);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("第 2 个数据项的标题"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(kCsvPath), std::string::npos) << error.what();
    }
    EXPECT_FALSE(files.files.count(kCsvPath));
}

TEST_F(EntryTransferTest, ABadFileChangesNothingAndItsMessageNamesFileAndLine) {
    Load({MakeEntry("A")});
    store.SetTitle("pending");
    files.files[kCsvPath] = kBom + kHeader + "good,,,\r\nbad,,yes,\r\n";

    try {
        ImportEntries(store, files, codec, kCsvPath);
        FAIL() << "no error";
    } catch (const Error& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("\"" + kCsvPath + "\""), std::string::npos) << text;
        EXPECT_NE(text.find("第 3 行：InDrag"), std::string::npos) << text;
        EXPECT_NE(text.find("没有导入任何数据项。"), std::string::npos) << text;
    }
    EXPECT_TRUE(store.IsEditing());
    EXPECT_EQ(store.RowCount(), 1u);
    EXPECT_EQ(afterPosts, 0);

    files.readErrors[kCsvPath] = "无法读取文件 \"" + kCsvPath + "\"：拒绝访问。";
    EXPECT_THROW(ImportEntries(store, files, codec, kCsvPath), Error);
    EXPECT_EQ(store.RowCount(), 1u);
}

TEST_F(EntryTransferTest, AGoodFileGoesAfterTheLastEntryAsOneStoredChange) {
    Load({MakeEntry("A"), MakeEntry("B")});
    store.SetContent("pending");
    files.files[kCsvPath] = kBom + kHeader + U8(u8"灌水,内容,0,\r\n\"\",,,1\r\n");

    EXPECT_EQ(ImportEntries(store, files, codec, kCsvPath), 2u);

    EXPECT_EQ(Rows(), (std::vector<Entry>{MakeEntry("A", "pending"), MakeEntry("B"), MakeEntry("灌水", "内容", false),
                                          MakeEntry("", std::nullopt, std::nullopt, true)}));
    EXPECT_EQ(store.CurrentRow(), 2u);
    EXPECT_EQ(afterPosts, 2);  // the pending change, then the import
}

TEST_F(EntryTransferTest, ExportThenImportIntoAnEmptyStoreSavesTheSameDataFile) {
    Load(kMixedEntries);
    const std::string original = files.files.at(kDataPath);
    ExportEntries(store, files, codec, kCsvPath);

    const std::string freshPath = "D:\\Fresh\\Pennora.Dat";
    EntryStore fresh;
    DataFileKeeper freshFile{fresh, files, freshPath};
    ASSERT_EQ(freshFile.Load().status, DataFileKeeper::LoadStatus::NoFile);
    ImportEntries(fresh, files, codec, kCsvPath);
    freshFile.Save();

    EXPECT_EQ(files.files.at(freshPath), original);
}

}  // namespace
}  // namespace pennora
