#pragma once
// The seam to GDI for a small picture that text is drawn on and read back
// pixel by pixel: a memory bitmap with a font selected into it. The Win32 face
// forwards each call to the GDI function of that name; tests/fakes records them.
#include <cstdint>
#include <string>

namespace pennora {

// A colour as GDI gives it: 0x00BBGGRR.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kWhite = 0x00FFFFFF;

class TextSurface {
public:
    virtual ~TextSurface() = default;

    // Creates the picture, width x height pixels, all white.
    virtual void CreateCompatibleBitmap(int width, int height) = 0;
    // Makes a font of the face name with the given character height (negative:
    // em height in pixels), regular, upright, default character set, and
    // selects it in place of the previous one.
    virtual void CreateFontA(int height, const std::string& faceName) = 0;
    // Draws the text with the top-left corner of its text cell at (x, y), in
    // the window-text colour, opaque: the whole box of the string (its advance
    // width times the font's cell height) is painted white behind the glyphs.
    virtual void TextOutA(int x, int y, const std::string& text) = 0;
    // The colour of a pixel of the picture.
    virtual ColorRef GetPixel(int x, int y) = 0;
};

}  // namespace pennora
