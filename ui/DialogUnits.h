#pragma once

#include <cstdint>

class QFont;

namespace tq37r {

// Windows' MulDiv: a * b / c computed wide and rounded half away from zero.
constexpr int mulDiv(int a, int b, int c) {
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

struct PixelRect {
    int x, y, width, height;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The dialog base units of a font, as Windows derives them: the horizontal unit is the
// rounded average width of the 52 letters A-Z a-z, the vertical unit the font's height
// (its em, when its line height is larger).
// A dialog unit is a quarter of the first and an eighth of the second.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;

    static DialogBaseUnits of(const QFont& font);

    int toPixelsX(int dialogUnits) const { return mulDiv(dialogUnits, x, 4); }
    int toPixelsY(int dialogUnits) const { return mulDiv(dialogUnits, y, 8); }
    PixelRect toPixels(int dx, int dy, int dwidth, int dheight) const {
        return {toPixelsX(dx), toPixelsY(dy), toPixelsX(dwidth), toPixelsY(dheight)};
    }
};

} // namespace tq37r
