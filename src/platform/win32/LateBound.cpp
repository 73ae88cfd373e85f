#include "platform/win32/LateBound.h"

namespace pennora {

FARPROC LateBoundAddress(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    if (!handle) handle = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return handle ? GetProcAddress(handle, name) : nullptr;
}

}  // namespace pennora
