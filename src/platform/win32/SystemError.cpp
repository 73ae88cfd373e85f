#include "platform/win32/SystemError.h"

#include "platform/Error.h"

namespace pennora {

std::string SystemReason(DWORD code) {
    char* buffer = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string reason = length != 0 && buffer ? std::string(buffer, length) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    return reason.empty() ? "系统错误 " + std::to_string(code) + "。" : reason;
}

void ThrowLastError(const std::string& what) {
    const DWORD code = ::GetLastError();
    throw Error(what + "：" + SystemReason(code));
}

}  // namespace pennora
