#include "app/ShowState.h"
#include "songlist/SongListFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace kazoon;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

// Any bytes give a state or no state; a state holds together (a song within
// its lines, lines only for an unsaved list, every line a song list line) and
// reads back the same once written.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<ShowState> state = parseShowState(bytes);
    if (!state)
        return 0;
    check(state->songIndex >= 0 && state->startedMs >= 0);
    check(state->modified != state->entries.isEmpty());
    check(state->modified || !state->listPath.isEmpty());
    if (state->modified)
        check(state->songIndex < state->entries.size());
    for (const QString &entry : state->entries)
        check(!songlist::isBrokenLine(entry) && !songlist::entryPath(entry).isEmpty());

    const QByteArray written = showStateBytes(*state);
    check(!written.isEmpty());
    check(parseShowState(written) == state);
    return 0;
}
