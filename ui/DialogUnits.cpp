#include "ui/DialogUnits.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace tq37r {

DialogBaseUnits DialogBaseUnits::of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The template's font has a line height equal to its em; a fallback font with a taller
    // line (room for accents) would stretch every vertical unit, so the em is taken instead.
    const int em = QFontInfo(font).pixelSize();
    const int y = em > 0 ? std::min(metrics.height(), em) : metrics.height();
    // Same rounding as the platform: (extent / 26 + 1) / 2.
    return {(letters / 26 + 1) / 2, y};
}

} // namespace tq37r
