#include "entries/VersionPicker.h"

#include <utility>

#include "entries/DataFile.h"
#include "entries/EntryEditorLogic.h"
#include "platform/Types.h"
#include "ui/ErrorText.h"

namespace pennora {

std::vector<Entry> EntriesShown(const EntryStore& store) {
    std::vector<Entry> shown;
    const bool untouchedNew = store.IsNewEntry() && !store.HasPendingChange();
    for (std::size_t row = 0; row < store.RowCount(); ++row) {
        if (untouchedNew && store.CurrentRow() == row) continue;
        shown.push_back(store.Row(row));
    }
    return shown;
}

std::string EntryCountText(const VersionRow& row) { return row.Readable() ? std::to_string(row.entries) : "-"; }

std::string DifferenceText(const VersionRow& row) {
    if (!row.Readable()) return "无法读取";
    const EntryDifference& d = row.difference;
    if (d == EntryDifference{}) return "相同";
    return "新增 " + std::to_string(d.added) + "，删除 " + std::to_string(d.removed) + "，修改 " +
           std::to_string(d.changed);
}

VersionPicker::VersionPicker(EntryStore& store, const ModeFlags& flags, MessageBoxes& boxes, FileSystem& files,
                             DataFileBackups& backups)
    : store_(store), flags_(flags), boxes_(boxes), files_(files), backups_(backups) {}

void VersionPicker::Refresh() {
    listError_.clear();
    rows_ = ListVersionsAgainst(backups_, files_, EntriesShown(store_), listError_);
}

std::string VersionPicker::Summary() const {
    const std::string folder = "文件夹 \"" + backups_.Folder() + "\" ";
    if (!listError_.empty()) return "无法查看" + folder + "中保留的版本：" + AsSentence(listError_);
    if (rows_.empty())
        return folder + "中还没有保留的版本。每次保存时，被替换的数据文件会作为较早的版本保留在那里（最近的 " +
               std::to_string(kKeptVersions) + " 个）。";
    return folder + "中保留的数据文件较早的版本，最近的在前。每个版本是所示时间那次保存之前的数据文件。";
}

std::string VersionPicker::RowDetail(std::size_t row) const {
    if (row >= rows_.size()) return {};
    const VersionRow& r = rows_[row];
    if (!r.Readable()) return "这个版本无法载入：" + AsSentence(r.problem);
    return "文件 \"" + r.version.path + "\"";
}

std::string VersionPicker::Question(const VersionRow& row) const {
    const EntryDifference& d = row.difference;
    std::string text = "载入 " + row.version.time + " 保留的版本吗？\r\r它是那次保存之前的数据文件，有 " +
                       std::to_string(row.entries) + " 个数据项；与现在相比，载入后新增 " + std::to_string(d.added) +
                       " 个、删除 " + std::to_string(d.removed) + " 个、修改 " + std::to_string(d.changed) +
                       " 个数据项。\r\r";
    if (!saveRefusal_.empty())
        text += "选“是”，它的数据项替换编辑器中现在的全部数据项，作为尚未保存的修改。注意：" + AsSentence(saveRefusal_) +
                "数据文件保持原样，载入的数据项只在编辑器中。";
    else
        text += "选“是”，它的数据项替换编辑器中现在的全部数据项，作为尚未保存的修改：点“保存”之前"
                "数据文件不变；保存时，现在的数据文件作为较早的版本保留在文件夹 \"" +
                backups_.Folder() + "\" 中，不能保留时不保存。";
    if (HasUnsavedEntryWork(store_, flags_))
        text += "\r\r注意：现在有尚未保存的修改（包括正在输入、尚未确认的内容），它们不在任何保留的版本中，载入后将丢失。";
    return text;
}

bool VersionPicker::Choose(std::size_t row, Hwnd owner) {
    if (!CanChoose(row)) return false;
    const VersionRow chosen = rows_[row];
    const unsigned flags = HasUnsavedEntryWork(store_, flags_) || !saveRefusal_.empty() ? kLoadVersionOverUnsavedFlags
                                                                                       : kLoadVersionFlags;
    if (boxes_.MessageBoxA(owner, Question(chosen), kLoadVersionCaption, flags) != kIdYes) return false;
    // The file is read again: what is loaded is what the file holds now.
    std::string bytes;
    std::string problem = files_.ReadWholeFile(chosen.version.path, bytes);
    DecodedDataFile decoded;
    if (problem.empty()) {
        decoded = DecodeDataFile(bytes);
        problem = decoded.error;
    }
    if (!problem.empty()) {
        boxes_.MessageBoxA(owner,
                           "无法载入 " + chosen.version.time + " 保留的版本：" + AsSentence(problem) + "数据项没有改变。",
                           kLoadVersionCaption, kVersionNotLoadedFlags);
        Refresh();
        return false;
    }
    // The user agreed to the counts listed: a file written again since (a
    // sync client) that holds other entries is listed again, not loaded.
    if (decoded.entries.size() != chosen.entries ||
        CompareEntries(EntriesShown(store_), decoded.entries) != chosen.difference) {
        boxes_.MessageBoxA(owner,
                           chosen.version.time + " 保留的版本在列出之后被改动过（例如被同步软件），其中的数据项与列出的不同。"
                           "数据项没有改变；版本已重新列出，请再看一下再选择。",
                           kLoadVersionCaption, kVersionNotLoadedFlags);
        Refresh();
        return false;
    }
    const std::size_t count = decoded.entries.size();
    store_.ReplaceAllAsUnsaved(std::move(decoded.entries));
    loadedHint_ = "已载入 " + chosen.version.time + " 保留的版本（" + std::to_string(count) +
                  " 个数据项），保存后写入数据文件";
    return true;
}

}  // namespace pennora
