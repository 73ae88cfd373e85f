#include "app/StartWithWindows.h"

#include <utility>

namespace pennora {
namespace {

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string ErrorCodeText(long code) {
    if (code == kErrorAccessDenied) return "拒绝访问（错误 5）";
    return "错误 " + std::to_string(code);
}

}  // namespace

std::string AutoRunTarget(const std::string& command) {
    std::string text = Trimmed(command.substr(0, command.find('\0')));
    if (!text.empty() && text.front() == '"') {
        std::size_t close = text.find('"', 1);
        return Trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    }
    return text;
}

StartWithWindows::StartWithWindows(Registry& registry, std::string executablePath, Expander expand)
    : registry_(registry), executablePath_(std::move(executablePath)), expand_(std::move(expand)) {}

AutoRunState StartWithWindows::Read() {
    ScopedKey key(registry_);
    long code = registry_.RegOpenKeyExA(kHkeyCurrentUser, kRunKey, kKeyRead, key.handle);
    if (code == kErrorFileNotFound) return {};
    if (code != kErrorSuccess) return {AutoRunOwner::Unreadable, "", code};
    unsigned type = 0;
    std::string data;
    code = registry_.RegQueryValueExA(key.handle, kRunValueName, type, data);
    if (code == kErrorFileNotFound) return {};
    if (code != kErrorSuccess) return {AutoRunOwner::Unreadable, "", code};
    // A value of another type starts nothing this copy wrote: shown as another
    // program's, with its bytes as far as they are text.
    // An expandable value starts the path its variables stand for at log-on.
    std::string path = AutoRunTarget(type == kRegExpandSz && expand_ ? expand_(AutoRunTarget(data)) : data);
    const bool text = type == kRegSz || type == kRegExpandSz;
    if (text && !path.empty() && registry_.CompareStringOrdinal(path, executablePath_) == 0) {
        return {AutoRunOwner::ThisCopy, path, kErrorSuccess};
    }
    return {AutoRunOwner::OtherCopy, path, kErrorSuccess};
}

long StartWithWindows::Apply(bool on) {
    const AutoRunState now = Read();
    if (now.owner == AutoRunOwner::Unreadable) return now.error;
    if (!on) {
        if (now.owner != AutoRunOwner::ThisCopy) return kErrorSuccess;
        ScopedKey key(registry_);
        long code = registry_.RegOpenKeyExA(kHkeyCurrentUser, kRunKey, kKeySetValue, key.handle);
        if (code == kErrorSuccess) code = registry_.RegDeleteValueA(key.handle, kRunValueName);
        return code == kErrorFileNotFound ? kErrorSuccess : code;  // gone already: as asked
    }
    if (now.owner == AutoRunOwner::ThisCopy) return kErrorSuccess;
    if (executablePath_.empty() || executablePath_.find('?') != std::string::npos) return kAutoRunPathNotAnsi;
    ScopedKey key(registry_);
    long code = registry_.RegCreateKeyExA(kHkeyCurrentUser, kRunKey, kKeySetValue, key.handle);
    if (code == kErrorSuccess) code = registry_.RegSetValueExA(key.handle, kRunValueName, kRegSz, Command());
    return code;
}

std::string AutoRunFailureText(bool on, long code) {
    const std::string where = std::string("注册表项“HKEY_CURRENT_USER\\") + kRunKey + "”";
    if (code == kAutoRunPathNotAnsi) {
        return "无法设置 Windows 启动时自动运行：Pennora 所在文件夹的路径中有系统的 ANSI 代码页（GBK）表示不了的字符，"
               "Pennora 无法把这个路径写入启动项。请把 Pennora 放到只用 GBK 字符命名的文件夹中再试。";
    }
    if (on) {
        return "无法设置 Windows 启动时自动运行：写入" + where + "失败（" + ErrorCodeText(code) +
               "）。\r\r其他选项已经保存；登录 Windows 时不会自动运行 Pennora。";
    }
    return "无法取消 Windows 启动时自动运行：删除" + where + "中的“" + kRunValueName + "”失败（" + ErrorCodeText(code) +
           "）。\r\r其他选项已经保存；登录 Windows 时仍会自动运行 Pennora。";
}

std::string AutoRunNote(const AutoRunState& state) {
    switch (state.owner) {
    case AutoRunOwner::None:
    case AutoRunOwner::ThisCopy: return "";
    case AutoRunOwner::OtherCopy:
        // One line under the box: the path's end (the folder and file) is what
        // tells the copies apart, so the label shortens the middle.
        if (state.path.empty()) return std::string("启动项“") + kRunValueName + "”不是本程序";
        return "现由另一处启动：" + state.path;
    case AutoRunOwner::Unreadable: break;
    }
    // One line of about 21 characters at most: what matters (the state is
    // unknown) comes first, the reason after it in its short form.
    const std::string reason = state.error == kErrorAccessDenied ? "拒绝访问" : "错误 " + std::to_string(state.error);
    return "状态不明：无法读取启动项（" + reason + "）";
}

}  // namespace pennora
