#include "app/InstanceGuard.h"

namespace pennora {

InstanceGuard::~InstanceGuard() {
    if (mutex_) windows_.CloseHandle(mutex_);
}

bool InstanceGuard::ClaimOrWakeRunning() {
    Handle mutex = windows_.CreateMutexA(true, kInstanceMutex);
    if (mutex && windows_.GetLastError() == kErrorAlreadyExists) {
        windows_.CloseHandle(mutex);
        WakeRunningInstance();
        return false;
    }
    mutex_ = mutex;  // held for the life of the process
    return true;
}

void InstanceGuard::WakeRunningInstance() {
    for (Hwnd window = windows_.GetWindow(windows_.GetDesktopWindow(), kGwChild); window;
         window = windows_.GetWindow(window, kGwHwndNext)) {
        if (std::uintptr_t mainWindow = windows_.GetPropA(window, kInstanceProp)) {
            windows_.PostMessageA(Hwnd(mainWindow), kWmPennora, 0, 0);
            windows_.SetForegroundWindow(window);
            return;
        }
    }
}

void InstanceGuard::MarkMainWindow(Hwnd mainWindow) { windows_.SetPropA(mainWindow, kInstanceProp, mainWindow); }

}  // namespace pennora
