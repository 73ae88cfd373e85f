#include "entries/EntryTransferTarget.h"

#include <cstddef>

#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "platform/FileSystem.h"

namespace pennora {
namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The text with every letter in lower case, two-byte characters kept whole.
std::string Folded(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(byte) && i + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[++i]);
            int shift = 0;
            if (byte == 0xA3 && trail >= 0xC1 && trail <= 0xDA) shift = 0x20;       // Ａ..Ｚ
            else if (byte == 0xA6 && trail >= 0xA1 && trail <= 0xB8) shift = 0x20;  // Α..Ω
            else if (byte == 0xA7 && trail >= 0xA1 && trail <= 0xC1) shift = 0x30;  // А..Я, Ё
            text[i] = char(trail + shift);
        } else if (byte >= 'A' && byte <= 'Z') {
            text[i] = char(byte + ('a' - 'A'));
        }
    }
    return text;
}

// What the file at `path` is to the program, when `identity` (folded) names it.
enum class OwnKind { None, DataFile, Settings, Exe, Unsaved, Saving, SetAside, Version };

OwnKind KindOf(const std::string& identity, const OwnFiles& own, FileIdentity identify) {
    const auto is = [&](const std::string& path) { return identity == Folded(identify(path)); };
    if (is(own.dataFile)) return OwnKind::DataFile;
    if (is(own.settingsFile)) return OwnKind::Settings;
    if (!own.executable.empty() && is(own.executable)) return OwnKind::Exe;
    if (is(UnsavedFileOf(own.dataFile))) return OwnKind::Unsaved;
    if (is(SavingFileOf(own.dataFile))) return OwnKind::Saving;
    // A data file the program could not read is kept as "<data file>.unreadable-<n>".
    const std::string aside = Folded(identify(own.dataFile + ".unreadable-"));
    if (identity.size() > aside.size() && identity.compare(0, aside.size(), aside) == 0 &&
        identity.find_first_not_of("0123456789", aside.size()) == std::string::npos)
        return OwnKind::SetAside;
    // Anything in the versions' folder, at any depth.
    const std::size_t slash = own.dataFile.find_last_of("\\/");
    std::string backups = Folded(identify(own.dataFile.substr(0, slash + 1) + kBackupFolderName));
    if (!backups.empty() && backups.back() != '\\') backups += '\\';
    if (identity.size() > backups.size() && identity.compare(0, backups.size(), backups) == 0) return OwnKind::Version;
    return OwnKind::None;
}

}  // namespace

bool SameFileName(const std::string& a, const std::string& b) { return Folded(a) == Folded(b); }

std::string ExportTargetRefusal(const std::string& target, const OwnFiles& own, FileIdentity identify) {
    static constexpr const char* kWhat[] = {"",
                                            "数据文件",
                                            "设置文件",
                                            "程序文件",
                                            "未保存修改的文件",
                                            "保存数据时的临时文件",
                                            "无法读取而保留的数据文件",
                                            "备份文件夹（Backup）中的文件"};
    const OwnKind kind = KindOf(Folded(identify(target)), own, identify);
    if (kind == OwnKind::None) return {};
    return "不能导出到文件 \"" + target + "\"：它是本程序的" + kWhat[int(kind)] +
           "，导出会覆盖它，下次启动时数据可能无法读取。请另选一个文件名或文件夹。";
}

}  // namespace pennora
