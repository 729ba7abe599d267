#include "songlist/ListHint.h"

#include "app/ShortText.h"

namespace kazoon::songlist {

QString listHint(const QString &name, const QString &next, bool marked, bool last)
{
    // Names are cut short so that a freak of a name cannot make a screen-wide hint.
    if (last)
        return shortenMiddle(name) + (marked ? QStringLiteral("をくり返し再生") : QStringLiteral("で終了"));
    if (marked)
        return shortenMiddle(name) + QStringLiteral("～") + shortenMiddle(next)
               + QStringLiteral("のメドレー");
    return shortenMiddle(name) + QStringLiteral("の後、MC");
}

QString loadFailureHint(const QString &name)
{
    return shortenMiddle(name) + QStringLiteral(" をﾛｰﾄﾞできません");
}

} // namespace kazoon::songlist
