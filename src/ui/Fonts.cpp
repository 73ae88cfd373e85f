#include "ui/Fonts.h"

#include "ui/DpiScale.h"

namespace pennora {

OwnedFont CreatePixelFont(const PixelFont& design, int dpi) {
    return OwnedFont(CreateFontA(ScaleToDpi(design.height, dpi), 0, 0, 0, FW_NORMAL, design.italic, FALSE, FALSE,
                                 design.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, design.face));
}

OwnedFont RescaleFont(HFONT font, int fromDpi, int toDpi) {
    LOGFONTA look{};
    if (!font || !GetObjectA(font, sizeof look, &look)) return {};
    look.lfHeight = RescaleToDpi(look.lfHeight, fromDpi, toDpi);
    look.lfWidth = RescaleToDpi(look.lfWidth, fromDpi, toDpi);
    return OwnedFont(CreateFontIndirectA(&look));
}

}  // namespace pennora
