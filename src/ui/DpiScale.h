#pragma once
// Sizes, positions and pixel font heights are designed at 96 DPI and shown
// at the DPI of the window's monitor. One rule converts both ways: multiply
// by the ratio and round to the nearest pixel, halves away from zero (as
// MulDiv does), so a design size always comes back from its device size.
namespace pennora {

inline constexpr int kDesignDpi = 96;

namespace detail {
constexpr int RoundedRatio(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}
// A DPI that could not be read leaves sizes as designed.
constexpr int UsableDpi(int dpi) { return dpi > 0 ? dpi : kDesignDpi; }
}  // namespace detail

// A design size (pixels at 96 DPI) at `dpi`.
constexpr int ScaleToDpi(int design, int dpi) { return detail::RoundedRatio(design, detail::UsableDpi(dpi), kDesignDpi); }

// A device size at `dpi` back in design pixels.
constexpr int ScaleToDesign(int device, int dpi) {
    return detail::RoundedRatio(device, kDesignDpi, detail::UsableDpi(dpi));
}

// A device size at `fromDpi` at `toDpi` (a window moved to another monitor).
constexpr int RescaleToDpi(int device, int fromDpi, int toDpi) {
    return detail::RoundedRatio(device, detail::UsableDpi(toDpi), detail::UsableDpi(fromDpi));
}

// A rectangle (anything with left, top, right and bottom) at `fromDpi` at
// `toDpi`, edge by edge, so neighbouring rectangles stay neighbours.
template <class Rect>
constexpr Rect RescaleRectToDpi(Rect rect, int fromDpi, int toDpi) {
    rect.left = RescaleToDpi(int(rect.left), fromDpi, toDpi);
    rect.top = RescaleToDpi(int(rect.top), fromDpi, toDpi);
    rect.right = RescaleToDpi(int(rect.right), fromDpi, toDpi);
    rect.bottom = RescaleToDpi(int(rect.bottom), fromDpi, toDpi);
    return rect;
}

}  // namespace pennora
