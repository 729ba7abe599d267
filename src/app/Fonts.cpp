#include "app/Fonts.h"

#include <QFont>
#include <QStringList>

namespace kazoon {

QFont uiFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

void installFontSubstitutes()
{
    const struct {
        const char16_t *name;
        const char16_t *ascii;
        const char *ipa;
    } fonts[] = {
        {u"ＭＳ Ｐゴシック", u"MS PGothic", "IPAPGothic"},
        {u"ＭＳ ゴシック", u"MS Gothic", "IPAGothic"},
        {u"ＭＳ Ｐ明朝", u"MS PMincho", "IPAPMincho"},
        {u"ＭＳ 明朝", u"MS Mincho", "IPAMincho"},
    };
    for (const auto &f : fonts) {
        const QStringList with = {QString::fromLatin1(f.ipa), QStringLiteral("Noto Sans CJK JP")};
        for (const char16_t *name : {f.name, f.ascii}) {
            const QString family = QString::fromUtf16(name);
            if (QFont::substitutes(family).isEmpty())
                QFont::insertSubstitutions(family, with);
        }
    }
}

} // namespace kazoon
