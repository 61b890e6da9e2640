#include "common/ui/UiFont.h"

#include <QFontDatabase>

namespace uifont {

QStringList preferredFamilies()
{
    // Windows' Japanese UI fonts, newest first, where MS Gothic is missing;
    // then the Linux desktops' Japanese gothics.
    return { QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
        QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic"),
        QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP") };
}

QString chooseFamily(const QStringList& installed)
{
    for (const QString& family : preferredFamilies())
        if (installed.contains(family))
            return family;
    return QString();
}

QFont windowFont()
{
    QFont font;
    const QString family = chooseFamily(QFontDatabase::families());
    if (!family.isEmpty())
        font.setFamilies({ family });
    font.setPointSize(kPointSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace uifont
