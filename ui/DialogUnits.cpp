#include "ui/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

namespace tq37r {

DialogBaseUnits DialogBaseUnits::of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Same rounding as the platform: (extent / 26 + 1) / 2.
    return {(letters / 26 + 1) / 2, metrics.height()};
}

} // namespace tq37r
