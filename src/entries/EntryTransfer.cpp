#include "entries/EntryTransfer.h"

#include <utility>
#include <vector>

#include "entries/EntryCsv.h"
#include "platform/Error.h"
#include "ui/ErrorText.h"

namespace pennora {
void ExportEntries(EntryStore& store, FileSystem& files, TextCodec& codec, const std::string& path) {
    store.Post();
    std::vector<Entry> entries;
    entries.reserve(store.RowCount());
    for (std::size_t row = 0; row < store.RowCount(); ++row) entries.push_back(store.Row(row));
    std::string bytes;
    try {
        bytes = EncodeEntryCsv(entries, codec);
    } catch (const Error& error) {
        throw Error("无法导出到文件 \"" + path + "\"：" + error.what());
    }
    if (FileError error = files.SaveWholeFile(path, bytes); !error.empty()) throw Error(error);
}

std::size_t ImportEntries(EntryStore& store, FileSystem& files, TextCodec& codec, const std::string& path) {
    std::string bytes;
    if (FileError error = files.ReadWholeFile(path, bytes); !error.empty())
        throw Error(AsSentence(error) + "没有导入任何数据项。");
    DecodedEntryCsv decoded = DecodeEntryCsv(bytes, codec);
    if (!decoded.ok()) throw Error("无法导入文件 \"" + path + "\"：" + decoded.error + "没有导入任何数据项。");
    const std::size_t count = decoded.entries.size();
    store.Append(std::move(decoded.entries));
    return count;
}

}  // namespace pennora
