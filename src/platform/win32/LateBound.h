#pragma once
// Functions of system DLLs found at their first use, so that a DLL only a
// rarely used feature needs (the shell for the tray, COM for the browser
// windows) is not loaded, with all it pulls in, at every start. A DLL is
// taken from the system folder only and stays loaded for the process.
#include <windows.h>

namespace pennora {

// The function, or nullptr where the DLL or the function is missing.
FARPROC LateBoundAddress(const char* module, const char* name);

template <class Function>
Function LateBound(const char* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(LateBoundAddress(module, name)));
}

}  // namespace pennora
