// The script-file reader on arbitrary bytes: it must not crash. The same bytes
// taken as a fill text must come back whole from the file the writer makes,
// whatever characters (or broken double-byte characters) they hold.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "browser/ScriptFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    pennora::ParseMenuScript(bytes);

    if (pennora::ParseMenuScript(pennora::MenuScriptBytes(bytes)) != bytes) std::abort();
    return 0;
}
