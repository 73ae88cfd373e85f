#include "entries/VersionOffer.h"

#include <utility>

#include "platform/Types.h"
#include "ui/ErrorText.h"

namespace pennora {

bool OfferNewestVersion(EntryStore& store, DataFileBackups& backups, MessageBoxes& boxes, Hwnd owner,
                        const std::string& caption, const std::string& unreadableMessage) {
    DataFileBackups::NewestLook look = backups.LookForNewestReadable();
    std::optional<DataFileBackups::ReadableVersion>& newest = look.readable;
    if (!newest) {
        // Versions that are there but cannot be read are named as such, so
        // the user knows where to look before starting anew.
        std::string why;
        if (!look.listError.empty())
            why = "文件夹 \"" + backups.Folder() + "\" 中可能保留着数据文件较早的版本，但无法查看其中的文件：" +
                  AsSentence(look.listError);
        else if (look.unreadable)
            why = "文件夹 \"" + backups.Folder() + "\" 中保留着数据文件较早的 " + std::to_string(look.unreadable) +
                  " 个版本，但没有一个能够读取。";
        boxes.MessageBoxA(owner, unreadableMessage + why + "程序从空的数据开始。", caption, kUnreadableReportFlags);
        return false;
    }
    const std::string& time = newest->version.time;
    const std::string question =
        unreadableMessage + "\r\r文件夹 \"" + backups.Folder() + "\" 中保留着数据文件较早的版本。能读取的最近一个备份是 " +
        time + " 那次保存之前的数据文件，有 " + std::to_string(newest->entries.size()) +
        " 个数据项。选“是”，这些数据项作为尚未保存的修改载入，保存后才写入数据文件；选“否”，从空的数据开始。是否载入最近的备份（" +
        time + "）？";
    if (boxes.MessageBoxA(owner, question, caption, kVersionOfferFlags) != kIdYes) return false;
    store.Append(std::move(newest->entries));
    return true;
}

}  // namespace pennora
