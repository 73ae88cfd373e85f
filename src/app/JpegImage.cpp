#include "app/JpegImage.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <string>

#include <jpeglib.h>

#include "platform/Error.h"

namespace pennora {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// ours records the message and jumps back to the decoder's setjmp point.
struct ErrorManager {
    jpeg_error_mgr library;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything libjpeg touches lives here, outside the frame that calls setjmp,
// so that nothing in that frame changes between setjmp and longjmp. The
// destructor frees libjpeg's memory on every way out, the jump included.
struct Decoder {
    jpeg_decompress_struct info{};  // zeroed: destroying it before create is a no-op
    ErrorManager errors{};
    jpeg_progress_mgr progress{};

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() { jpeg_destroy_decompress(&info); }
};

ErrorManager& ErrorsOf(j_common_ptr info) { return *reinterpret_cast<ErrorManager*>(info->err); }

[[noreturn]] void FailWith(j_common_ptr info, const char* message) {
    ErrorManager& errors = ErrorsOf(info);
    std::snprintf(errors.message, sizeof errors.message, "%s", message);
    std::longjmp(errors.jump, 1);
}

[[noreturn]] void OnFatalError(j_common_ptr info) {
    ErrorManager& errors = ErrorsOf(info);
    errors.library.format_message(info, errors.message);
    std::longjmp(errors.jump, 1);
}

// Level -1 is a warning about damaged data (libjpeg goes on and fills in grey);
// trace messages have levels above 0 and are ignored.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) OnFatalError(info);
}

void IgnoreOutput(j_common_ptr) {}

// A progressive picture may carry any number of scans, each a full pass over
// the coefficients; a few bytes per scan can make decoding take minutes.
void LimitScans(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > kMaxJpegScans) FailWith(common, "渐进扫描次数太多");
}

void InstallHandlers(Decoder& decoder) {
    decoder.info.err = jpeg_std_error(&decoder.errors.library);
    decoder.errors.library.error_exit = OnFatalError;
    decoder.errors.library.emit_message = OnMessage;
    decoder.errors.library.output_message = IgnoreOutput;
    decoder.progress.progress_monitor = LimitScans;
}

void CheckDimensions(j_decompress_ptr info) {
    const long long width = info->image_width;
    const long long height = info->image_height;
    if (width == 0 || height == 0) FailWith(reinterpret_cast<j_common_ptr>(info), "图片尺寸为零");
    if (width > kMaxJpegSide || height > kMaxJpegSide || width * height > kMaxJpegPixels) {
        FailWith(reinterpret_cast<j_common_ptr>(info), "图片尺寸太大");
    }
}

void StoreRow(const JSAMPLE* rgb, int width, std::uint8_t* bgrx) {
    for (int x = 0; x < width; ++x, rgb += 3, bgrx += kJpegBytesPerPixel) {
        bgrx[0] = rgb[2];
        bgrx[1] = rgb[1];
        bgrx[2] = rgb[0];
        bgrx[3] = 255;
    }
}

// Returns false after a libjpeg error, with the message in decoder.errors.
// This frame holds no object with a destructor and changes no local that is
// read after the jump.
bool Decode(Decoder& decoder, std::span<const std::uint8_t> bytes, JpegImage& image) {
    if (setjmp(decoder.errors.jump)) return false;

    j_decompress_ptr info = &decoder.info;
    jpeg_create_decompress(info);
    info->progress = &decoder.progress;
    jpeg_mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(info, TRUE);
    CheckDimensions(info);

    // libjpeg converts grey and YCbCr pictures to RGB itself; CMYK is refused.
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    if (info->output_components != 3) FailWith(reinterpret_cast<j_common_ptr>(info), "不支持的颜色空间");

    const int width = static_cast<int>(info->output_width);
    const int height = static_cast<int>(info->output_height);
    image.pixels.assign(static_cast<std::size_t>(width) * height * kJpegBytesPerPixel, 0);
    JSAMPARRAY row = info->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                              info->output_width * 3, 1);
    while (info->output_scanline < info->output_height) {
        const std::size_t y = info->output_scanline;
        jpeg_read_scanlines(info, row, 1);
        StoreRow(row[0], width, image.pixels.data() + y * width * kJpegBytesPerPixel);
    }
    // Reads on to the end marker, so a picture cut short after its last row
    // is still reported.
    jpeg_finish_decompress(info);
    image.width = width;
    image.height = height;
    return true;
}

}  // namespace

JpegImage DecodeJpeg(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) throw Error("JPEG 图片无法解码：没有数据");
    if (bytes.size() > kMaxJpegBytes) throw Error("JPEG 图片无法解码：文件太大");

    Decoder decoder;
    InstallHandlers(decoder);
    JpegImage image;
    if (!Decode(decoder, bytes, image)) throw Error(std::string("JPEG 图片无法解码：") + decoder.errors.message);
    return image;
}

}  // namespace pennora
