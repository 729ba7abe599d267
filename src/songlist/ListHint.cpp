#include "songlist/ListHint.h"

namespace kazoon::songlist {

QString listHint(const QString &name, const QString &next, bool marked, bool last)
{
    if (last)
        return name + (marked ? QStringLiteral("をくり返し再生") : QStringLiteral("で終了"));
    if (marked)
        return name + QStringLiteral("～") + next + QStringLiteral("のメドレー");
    return name + QStringLiteral("の後、MC");
}

QString loadFailureHint(const QString &name)
{
    return name + QStringLiteral(" をﾛｰﾄﾞできません");
}

} // namespace kazoon::songlist
