#include "player/engine/Chase.h"
#include "player/engine/MidiFile.h"

#include <cstddef>
#include <cstdint>

using namespace kazoon::engine;

// Any input is either read or refused with MidiFileError; what is read must
// hold together: sorted events inside the data, sorted texts within their
// bounds, and a chase and a length that can be computed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        const Song song = parseMidiFile({data, size});
        for (std::size_t i = 0; i < song.events.size(); ++i) {
            const SongEvent &e = song.events[i];
            if (e.offset + e.size > song.data.size() || e.size == 0 || e.tick > song.endTick ||
                (i > 0 && song.events[i - 1].tick > e.tick))
                __builtin_trap();
        }
        if (song.texts.size() > kMaxSongTexts || song.textData.size() > kMaxSongTextBytes)
            __builtin_trap();
        for (std::size_t i = 0; i < song.texts.size(); ++i) {
            const SongText &t = song.texts[i];
            if (std::size_t{t.offset} + t.size > song.textData.size() || t.tick > song.endTick
                || (t.type != kTextEvent && t.type != kLyricEvent)
                || (i > 0 && song.texts[i - 1].tick > t.tick))
                __builtin_trap();
        }
        const std::int64_t end = song.tempo.stepToTick(song.lengthSteps());
        if (song.tempo.tickToStep(end) < song.lengthSteps() - 1)
            __builtin_trap();
        for (std::uint32_t index : chaseEvents(song, end / 2))
            if (index >= song.events.size())
                __builtin_trap();
        (void)packSmpte24(song.tempo.tickToUs(end));
    } catch (const MidiFileError &) {
    }
    return 0;
}
