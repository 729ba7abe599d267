#include "bandview/HttpRequest.h"

#include <QList>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace kazoon {

HttpRequest parseHttpRequest(const QByteArray &head, qint64 tooLong)
{
    HttpRequest r;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() != 3 || !first[2].startsWith("HTTP/1.") || !first[1].startsWith('/'))
        return r;
    r.method = first[0];
    const QByteArray target = first[1];
    const qsizetype q = target.indexOf('?');
    r.path = target.left(q < 0 ? target.size() : q);
    if (q >= 0) {
        const QUrlQuery query(QString::fromLatin1(target.mid(q + 1)));
        r.code = query.queryItemValue(QStringLiteral("k"), QUrl::FullyDecoded).toUtf8();
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "host")
            r.host = value;
        else if (name == "upgrade")
            r.upgrade = value.toLower() == "websocket";
        else if (name == "content-length")
            r.bodyBytes = value.toLongLong();
        else if (name == "transfer-encoding")
            r.bodyBytes = tooLong; // no bodies of unknown length
    }
    r.valid = true;
    return r;
}

bool saneHost(const QByteArray &host)
{
    // Anchored at the very end: "$" alone would let a final line break through.
    static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9.:\\[\\]-]{1,255}")));
    return form.match(QString::fromLatin1(host)).hasMatch();
}

} // namespace kazoon
