// The data file reader on arbitrary bytes: it must return entries or a reason,
// never crash, and whatever it accepts must be exactly what the writer makes
// of those entries. Each input is also tried with its checksum made right, so
// mutations reach the checks behind the checksum.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "entries/DataFile.h"

namespace {

void CheckDecode(std::string_view bytes) {
    pennora::DecodedDataFile decoded = pennora::DecodeDataFile(bytes);
    if (!decoded.ok()) {
        if (!decoded.entries.empty()) std::abort();
        return;
    }
    if (pennora::EncodeDataFile(decoded.entries) != bytes) std::abort();
}

std::string WithChecksumMadeRight(std::string bytes) {
    std::uint32_t crc = pennora::Crc32(std::string_view(bytes).substr(0, bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>(crc >> (8 * i));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckDecode(bytes);
    if (size >= 4) CheckDecode(WithChecksumMadeRight(std::string(bytes)));
    return 0;
}
