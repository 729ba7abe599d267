#include "bandview/HttpRequest.h"

#include <cstddef>
#include <cstdint>

using namespace kazoon;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool hostByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == ':'
           || c == '[' || c == ']' || c == '-';
}

// A Host that passes may go back out in a header: only its own bytes, never
// a line break or a quote.
void checkHost(const QByteArray &host)
{
    if (!saneHost(host))
        return;
    check(!host.isEmpty() && host.size() <= 255);
    for (char c : host)
        check(hostByte(c));
}

} // namespace

// Any bytes from the network: a request head read without a crash; a valid
// one has a path of its own (no query, from the root) and a method without
// blanks.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    constexpr qint64 kTooLong = 8 * 1024 + 1;
    const HttpRequest r = parseHttpRequest(bytes, kTooLong);
    checkHost(bytes);
    if (!r.valid)
        return 0;
    check(r.path.startsWith('/') && !r.path.contains('?'));
    check(!r.method.contains(' '));
    checkHost(r.host);
    return 0;
}
