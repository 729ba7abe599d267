#include "app/ShortText.h"

namespace kazoon {

QString shortenMiddle(const QString &text, qsizetype max)
{
    if (text.size() <= max || max < 3)
        return text.size() <= max ? text : text.left(max);
    const QChar ellipsis(0x2026);
    qsizetype head = (max - 1) / 3;
    qsizetype tailStart = text.size() - (max - 1 - head);
    // Keep surrogate pairs whole on both sides of the cut.
    if (head > 0 && text.at(head - 1).isHighSurrogate())
        --head;
    if (tailStart < text.size() && text.at(tailStart).isLowSurrogate())
        ++tailStart;
    return text.left(head) + ellipsis + text.mid(tailStart);
}

} // namespace kazoon
