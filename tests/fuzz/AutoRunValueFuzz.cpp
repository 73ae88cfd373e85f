// The Run value as another program or the user may have left it: arbitrary
// bytes of any type must read without a crash, and a value that reads as this
// copy's must name this copy's executable.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/StartWithWindows.h"
#include "fakes/FakeRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pennora;
    if (size == 0) return 0;
    const unsigned type = data[0] % 8;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string exe = "C:\\Pennora\\Pennora.exe";

    const std::string target = AutoRunTarget(bytes);
    if (target.size() > bytes.size()) std::abort();

    fakes::FakeRegistry registry;
    registry.Set(kRunKey, kRunValueName, type, bytes);
    StartWithWindows autoRun{registry, exe};
    const AutoRunState state = autoRun.Read();
    if (state.owner == AutoRunOwner::ThisCopy && registry.CompareStringOrdinal(state.path, exe) != 0) std::abort();
    if (state.owner == AutoRunOwner::None || state.owner == AutoRunOwner::Unreadable) std::abort();  // a value is there
    (void)AutoRunNote(state);
    return 0;
}
