// The entries text-file reader on arbitrary bytes: it must return entries or
// a reason naming a line, never crash, keep every text within its width,
// keep control characters out of the texts and a lone LF out of a content,
// and whatever it accepts must come back the same through the writer.
#include <cstdint>
#include <cstdlib>
#include <string>
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
        // No control character but TAB in a title; a content's line feeds
        // all follow a carriage return.
        for (char c : entry.title.value_or(""))
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) std::abort();
        const std::string content = entry.content.value_or("");
        for (std::size_t i = 0; i < content.size(); ++i)
            if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) std::abort();
    }
    pennora::DecodedEntryCsv again = pennora::DecodeEntryCsv(pennora::EncodeEntryCsv(decoded.entries, codec), codec);
    if (!again.ok() || again.entries != decoded.entries) std::abort();
    return 0;
}
