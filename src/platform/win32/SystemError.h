#pragma once
// The system's own words for a failed call, in the user's language.
#include <windows.h>

#include <string>

namespace pennora {

// The system's sentence for an error code, without its trailing line break.
std::string SystemReason(DWORD code);

// Throws pennora::Error "<what>：<the system's reason for GetLastError()>".
[[noreturn]] void ThrowLastError(const std::string& what);

}  // namespace pennora
