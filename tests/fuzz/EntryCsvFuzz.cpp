// The entries text-file reader on arbitrary bytes: it must return entries or
// a reason naming a line, never crash, keep every text within its width, and
// whatever it accepts must come back the same through the writer.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "entries/EntryCsv.h"
#include "fakes/IconvCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static pennora::fakes::IconvCodec codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pennora::DecodedEntryCsv decoded = pennora::DecodeEntryCsv(bytes, codec);
    if (!decoded.ok()) {
        if (!decoded.entries.empty() || decoded.line == 0 || decoded.line > size + 1) std::abort();
        return 0;
    }
    for (const pennora::Entry& entry : decoded.entries) {
        if (entry.title && entry.title->size() > pennora::kTitleWidth) std::abort();
        if (entry.content && entry.content->size() > pennora::kContentWidth) std::abort();
    }
    pennora::DecodedEntryCsv again = pennora::DecodeEntryCsv(pennora::EncodeEntryCsv(decoded.entries, codec), codec);
    if (!again.ok() || again.entries != decoded.entries) std::abort();
    return 0;
}
