#pragma once
// A picture in memory standing in for the GDI surface: records the drawing
// calls and draws as GDI would in outline. Each byte of a text advances the
// pen by `advance` pixels (a space by `spaceAdvance`); drawing paints the
// string's box (advance width x cellHeight) white, then the ink pixels
// scripted for that text, relative to the drawing point.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fakes/CallLog.h"
#include "platform/TextSurface.h"
#include "platform/Types.h"

namespace pennora::fakes {

inline constexpr ColorRef kInk = 0x000000;
inline constexpr ColorRef kClrInvalid = 0xFFFFFFFF;  // GetPixel outside the picture

class FakeTextSurface final : public TextSurface {
public:
    // Script.
    int advance = 8;
    int spaceAdvance = 8;
    int cellHeight = 16;
    std::map<std::string, std::vector<std::pair<Point, ColorRef>>> glyphs;

    CallLog calls;
    int pixelReads = 0;

    void CreateCompatibleBitmap(int width, int height) override {
        calls.push_back("CreateCompatibleBitmap(" + std::to_string(width) + ", " + std::to_string(height) + ")");
        width_ = width;
        height_ = height;
        pixels_.assign(std::size_t(width * height), kWhite);
    }
    void CreateFontA(int height, const std::string& faceName) override {
        calls.push_back("CreateFontA(" + std::to_string(height) + ", " + Quoted(faceName) + ")");
    }
    void TextOutA(int x, int y, const std::string& text) override {
        calls.push_back("TextOutA(" + std::to_string(x) + ", " + std::to_string(y) + ", " + Quoted(text) + ")");
        int width = 0;
        for (char c : text) width += c == ' ' ? spaceAdvance : advance;
        for (int row = y; row < y + cellHeight; ++row) {
            for (int column = x; column < x + width; ++column) Set(column, row, kWhite);
        }
        auto glyph = glyphs.find(text);
        if (glyph == glyphs.end()) return;
        for (const auto& [point, colour] : glyph->second) Set(x + point.x, y + point.y, colour);
    }
    ColorRef GetPixel(int x, int y) override {
        ++pixelReads;
        return Inside(x, y) ? pixels_[std::size_t(y * width_ + x)] : kClrInvalid;
    }

    // Puts a colour on the picture as an earlier run would have left it.
    void Set(int x, int y, ColorRef colour) {
        if (Inside(x, y)) pixels_[std::size_t(y * width_ + x)] = colour;
    }

private:
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    int width_ = 0;
    int height_ = 0;
    std::vector<ColorRef> pixels_;
};

}  // namespace pennora::fakes
