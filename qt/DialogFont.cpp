#include "qt/DialogFont.h"

#include <QFontDatabase>
#include <QStringList>

#include <array>

namespace tq37r {
namespace {

// Tried in order after the template's own face.
constexpr std::array<const char*, 5> kCjkFallbacks{"SimSun", "NSimSun", "WenQuanYi Zen Hei",
                                                   "Noto Sans CJK SC", "Droid Sans Fallback"};

QString installedFamily(const QStringList& families, const QString& wanted) {
    for (const QString& family : families) {
        if (family.compare(wanted, Qt::CaseInsensitive) == 0) {
            return family;
        }
    }
    return {};
}

QString chooseFamily(const QString& face) {
    const QStringList families = QFontDatabase::families();
    if (QString found = installedFamily(families, face); !found.isEmpty()) {
        return found;
    }
    for (const char* fallback : kCjkFallbacks) {
        if (QString found = installedFamily(families, QString::fromLatin1(fallback)); !found.isEmpty()) {
            return found;
        }
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? face : chinese.front();
}

} // namespace

QFont dialogFont(std::string_view face, int pointSize) {
    QFont font(chooseFamily(QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()))), pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

} // namespace tq37r
