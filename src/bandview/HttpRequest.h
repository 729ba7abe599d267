#pragma once

#include <QByteArray>

namespace kazoon {

// The head of a request as the band view's server reads it: enough to
// answer, nothing it does not need. Takes only Qt Core, so that the fuzzer
// can build it alone.
struct HttpRequest {
    QByteArray method, path, code, host; // code: the query's k, decoded
    bool upgrade = false;                // asks for a WebSocket
    qint64 bodyBytes = 0;                // a body of unknown length counts as too long
    bool valid = false;
};

// `head`: the bytes before the blank line that ends the head.
HttpRequest parseHttpRequest(const QByteArray &head, qint64 tooLong);

// A Host value that may be written back into a header as it stands.
bool saneHost(const QByteArray &host);

} // namespace kazoon
