#pragma once

#include <QImage>
#include <QString>

namespace kazoon {

// `text` as a QR code, black on white with its quiet zone, `scale` pixels a
// module; a null image when it does not fit in a code.
QImage qrCodeImage(const QString &text, int scale);

} // namespace kazoon
