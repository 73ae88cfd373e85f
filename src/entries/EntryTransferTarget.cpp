#include "entries/EntryTransferTarget.h"

#include <cstddef>

#include "entries/DataFileBackups.h"
#include "entries/EntryStore.h"
#include "platform/FileSystem.h"

namespace pennora {
namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The text with every letter in lower case, two-byte characters kept whole.
std::string Folded(const std::string& text) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(byte) && i + 1 < out.size()) {
            auto& trail = reinterpret_cast<unsigned char&>(out[i + 1]);
            if (byte == 0xA3 && trail >= 0xC1 && trail <= 0xDA) trail += 0x20;       // Ａ..Ｚ
            else if (byte == 0xA6 && trail >= 0xA1 && trail <= 0xB8) trail += 0x20;  // Α..Ω
            else if (byte == 0xA7 && trail >= 0xA1 && trail <= 0xC1) trail += 0x30;  // А..Я, Ё
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            out[i] = char(byte + ('a' - 'A'));
        }
    }
    return out;
}

bool StartsWithName(const std::string& folded, const std::string& foldedPrefix) {
    return folded.size() > foldedPrefix.size() && folded.compare(0, foldedPrefix.size(), foldedPrefix) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

bool SameFileName(const std::string& a, const std::string& b) { return Folded(a) == Folded(b); }

std::string ExportTargetRefusal(const std::string& target, const OwnFiles& own, const FileIdentity& identify) {
    const std::string file = Folded(identify(target));
    const auto refused = [&](const std::string& what) {
        return "不能导出到文件 \"" + target + "\"：它是本程序的" + what +
               "，导出会覆盖它，下次启动时数据可能无法读取。请另选一个文件名或文件夹。";
    };
    const auto is = [&](const std::string& path) { return file == Folded(identify(path)); };

    if (is(own.dataFile)) return refused("数据文件");
    if (is(own.settingsFile)) return refused("设置文件");
    if (!own.executable.empty() && is(own.executable)) return refused("程序文件");
    if (is(UnsavedFileOf(own.dataFile))) return refused("未保存修改的文件");
    if (is(SavingFileOf(own.dataFile))) return refused("保存数据时的临时文件");
    // A data file the program could not read is kept as "<data file>.unreadable-<n>".
    const std::string aside = Folded(identify(own.dataFile + ".unreadable-"));
    if (StartsWithName(file, aside) && IsAllDigits(file.substr(aside.size()))) return refused("无法读取而保留的数据文件");
    // Anything in the versions' folder, at any depth.
    std::string backups = Folded(identify(FolderOf(own.dataFile) + kBackupFolderName));
    if (!backups.empty() && backups.back() != '\\') backups += '\\';
    if (StartsWithName(file, backups)) return refused("备份文件夹（" + std::string(kBackupFolderName) + "）中的文件");
    return {};
}

}  // namespace pennora
