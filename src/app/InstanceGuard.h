#pragma once
// Keeps one instance of the tool running: the first instance holds a named
// mutex and marks its main window with a property; a second start finds that
// window, asks it to show itself and ends without creating a window.
#include "platform/WindowsInput.h"

namespace pennora {

inline constexpr const char* kInstanceMutex = "KestovaPennora.SingleInstance";
inline constexpr const char* kInstanceProp = "KestovaPennora.MainWindow";

class InstanceGuard {
public:
    explicit InstanceGuard(InstanceHandshake& windows) : windows_(windows) {}
    ~InstanceGuard();

    // True when this process is the first instance (also when the mutex could
    // not be created at all). False when another instance runs: it has then
    // been woken (if its window could be found) and this process should end.
    bool ClaimOrWakeRunning();

    // Marks the main window so that later starts can find it.
    void MarkMainWindow(Hwnd mainWindow);

private:
    void WakeRunningInstance();
    InstanceHandshake& windows_;
    Handle mutex_ = 0;
};

}  // namespace pennora
