#include "player/engine/InstrumentSetup.h"
#include "player/engine/SysexFile.h"

#include <cstddef>
#include <cstdint>

using namespace kazoon::engine;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

// Any bytes give whole messages or a refusal with a text: each message read is
// F0, data bytes, F7; together they are the input exactly; and a set-up built
// on them sends them first, as they are.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SysexRead read = parseSysex({data, size});
    if (read.status != SysexRead::Ok) {
        check(read.messages.empty());
        check(!sysexErrorText(read.status, "x.syx").empty());
        return 0;
    }
    check(!read.messages.empty() && size <= kMaxSysexFileSize);
    std::size_t at = 0;
    for (const auto &m : read.messages) {
        check(m.size() >= 2 && m.front() == 0xF0 && m.back() == 0xF7);
        for (std::size_t i = 1; i + 1 < m.size(); ++i)
            check(m[i] < 0x80);
        for (std::uint8_t b : m)
            check(at < size && data[at++] == b);
    }
    check(at == size);
    InstrumentSetup setup;
    setup.channels[0].program = 1;
    const SetupMessages out = setupMessages(setup, read.messages);
    check(out.messages.size() == read.messages.size() + 1 && out.voices == 0xFFFF);
    for (std::size_t i = 0; i < read.messages.size(); ++i)
        check(out.messages[i] == read.messages[i]);
    return 0;
}
