#include "entries/DataFile.h"

#include <array>
#include <new>

#include "platform/Error.h"

namespace pennora {
namespace {

constexpr std::string_view kMagic{"PNRD\r\n\x1A\n", 8};
constexpr std::size_t kVersionAt = 8, kCountAt = 12, kPayloadSizeAt = 16, kHeaderSize = 20;
constexpr std::size_t kTrailerSize = 4;
constexpr std::size_t kSmallestEntrySize = 4;  // two null texts, two null flags

enum : std::uint8_t { kNullText = 0, kText = 1 };
enum : std::uint8_t { kNullFlag = 0, kFalse = 1, kTrue = 2 };

// Slicing-by-8 tables of the reflected IEEE polynomial (as zlib's crc32): the
// checksum covers every byte of the file, so it is taken eight bytes a step.
constexpr auto kCrcTables = [] {
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t t = 1; t < 8; ++t)
        for (std::size_t n = 0; n < 256; ++n)
            tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xFF];
    return tables;
}();

class Writer {
public:
    explicit Writer(std::size_t capacity) { out_.reserve(capacity); }
    void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U16(std::uint16_t v) {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) U8((v >> shift) & 0xFF);
    }
    void Bytes(std::string_view bytes) { out_.append(bytes); }
    std::string& Out() { return out_; }

private:
    std::string out_;
};

// The caller has checked that the four bytes are there.
std::uint32_t U32At(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    return v;
}

// Reads from a bounded view; every read reports whether the bytes were there.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool U8(std::uint8_t& v) {
        if (pos_ + 1 > bytes_.size()) return false;
        v = static_cast<std::uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool U16(std::uint16_t& v) {
        std::uint8_t lo, hi;
        if (!U8(lo) || !U8(hi)) return false;
        v = static_cast<std::uint16_t>(lo | hi << 8);
        return true;
    }
    bool Bytes(std::size_t count, std::string_view& v) {
        if (count > bytes_.size() - pos_) return false;
        v = bytes_.substr(pos_, count);
        pos_ += count;
        return true;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::size_t EncodedTextSize(const std::optional<std::string>& text) { return text ? 3 + text->size() : 1; }

void WriteText(Writer& out, const std::optional<std::string>& text, std::size_t width, const char* field) {
    if (!text) {
        out.U8(kNullText);
        return;
    }
    if (text->size() > width) throw Error(std::string("数据项的") + field + "超过 " + std::to_string(width) + " 字节");
    out.U8(kText);
    out.U16(static_cast<std::uint16_t>(text->size()));
    out.Bytes(*text);
}

void WriteFlag(Writer& out, std::optional<bool> flag) { out.U8(!flag ? kNullFlag : *flag ? kTrue : kFalse); }

bool ReadText(Reader& in, std::size_t width, std::optional<std::string>& text) {
    std::uint8_t tag;
    if (!in.U8(tag)) return false;
    if (tag == kNullText) {
        text.reset();
        return true;
    }
    std::uint16_t length;
    std::string_view bytes;
    if (tag != kText || !in.U16(length) || length > width || !in.Bytes(length, bytes)) return false;
    text.emplace(bytes);
    return true;
}

bool ReadFlag(Reader& in, std::optional<bool>& flag) {
    std::uint8_t value;
    if (!in.U8(value) || value > kTrue) return false;
    flag = value == kNullFlag ? std::nullopt : std::optional<bool>(value == kTrue);
    return true;
}

bool ReadEntry(Reader& in, Entry& entry) {
    return ReadText(in, kTitleWidth, entry.title) && ReadText(in, kContentWidth, entry.content) &&
           ReadFlag(in, entry.inDrag) && ReadFlag(in, entry.inHotKey);
}

DecodedDataFile Failure(std::string reason) { return {{}, std::move(reason)}; }

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    const auto& t = kCrcTables;
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        std::uint32_t lo = crc ^ (p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
              t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; n > 0; --n, ++p) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string EncodeDataFile(const std::vector<Entry>& entries) {
    std::size_t payloadSize = 0;
    for (const Entry& e : entries) payloadSize += EncodedTextSize(e.title) + EncodedTextSize(e.content) + 2;
    if (entries.size() > UINT32_MAX || payloadSize > UINT32_MAX) throw Error("数据项太多，无法写入数据文件");

    Writer out(kHeaderSize + payloadSize + kTrailerSize);
    out.Bytes(kMagic);
    out.U32(kDataFileVersion);
    out.U32(static_cast<std::uint32_t>(entries.size()));
    out.U32(static_cast<std::uint32_t>(payloadSize));
    for (const Entry& e : entries) {
        WriteText(out, e.title, kTitleWidth, "标题");
        WriteText(out, e.content, kContentWidth, "内容");
        WriteFlag(out, e.inDrag);
        WriteFlag(out, e.inHotKey);
    }
    out.U32(Crc32(out.Out()));
    return std::move(out.Out());
}

namespace {

DecodedDataFile Decode(std::string_view bytes) {
    if (bytes.empty()) return Failure("文件是空的");
    if (bytes.size() < kHeaderSize + kTrailerSize || bytes.substr(0, kMagic.size()) != kMagic)
        return Failure(bytes.size() >= kMagic.size() && bytes.substr(0, kMagic.size()) == kMagic
                           ? "文件不完整（被截断）"
                           : "这不是 Pennora 的数据文件");

    const std::uint32_t version = U32At(bytes, kVersionAt);
    const std::uint32_t count = U32At(bytes, kCountAt);
    const std::uint32_t payloadSize = U32At(bytes, kPayloadSizeAt);
    if (version != kDataFileVersion) {
        DecodedDataFile failure = Failure("数据文件的格式版本为 " + std::to_string(version) + "，本程序只能读取版本 " +
                                          std::to_string(kDataFileVersion));
        if (version > kDataFileVersion) failure.newerVersion = version;
        return failure;
    }
    const std::size_t actualPayloadSize = bytes.size() - kHeaderSize - kTrailerSize;
    if (payloadSize != actualPayloadSize)
        return Failure(payloadSize > actualPayloadSize ? "文件不完整（被截断）" : "文件长度与记录的长度不符");
    if (Crc32(bytes.substr(0, bytes.size() - kTrailerSize)) != U32At(bytes, bytes.size() - kTrailerSize))
        return Failure("文件已损坏（校验和不符）");

    if (count > payloadSize / kSmallestEntrySize) return Failure("文件已损坏（数据项数目不符）");
    Reader payload(bytes.substr(kHeaderSize, payloadSize));
    DecodedDataFile result;
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry entry;
        if (!ReadEntry(payload, entry)) return Failure("文件已损坏（第 " + std::to_string(i + 1) + " 个数据项无效）");
        result.entries.push_back(std::move(entry));
    }
    if (!payload.AtEnd()) return Failure("文件已损坏（数据项之后还有多余的字节）");
    return result;
}

}  // namespace

DecodedDataFile DecodeDataFile(std::string_view bytes) {
    try {
        return Decode(bytes);
    } catch (const std::bad_alloc&) {
        return Failure("文件太大，内存不足以读入它的 " + std::to_string(bytes.size()) + " 字节");
    }
}

}  // namespace pennora
