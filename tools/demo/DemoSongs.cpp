#include "DemoSongs.h"

#include <string>

namespace kazoon::demo {

using smf::SmfWriter;
using smf::Track;

namespace {

constexpr int kPpqn = 480;
constexpr int kStep = kPpqn / 4; // one sixteenth note
constexpr int kBar = 16 * kStep;
// Each song opens with a set-up bar: resets, programs and controllers, no
// notes. The QS standby plays up to a step inside it (the 16th at the default
// offset), so that standing a song by in front of the audience is silent.
constexpr int kTop = kBar; // where the music starts
constexpr int kDrums = 9;
constexpr int kRest = -1;

struct Note {
    int pitch;  // kRest for silence
    int steps;  // length in sixteenths
};

// Plays a line of notes from `start`, each held slightly short of its length.
void line(Track &t, int channel, std::int64_t start, const std::vector<Note> &notes, int velocity)
{
    std::int64_t tick = start;
    for (const Note &n : notes) {
        if (n.pitch != kRest) {
            t.at(tick).noteOn(channel, n.pitch, velocity);
            t.at(tick + n.steps * kStep - kStep / 4).noteOff(channel, n.pitch);
        }
        tick += n.steps * kStep;
    }
}

// Holds a chord for `steps` sixteenths from `start`.
void chord(Track &t, int channel, std::int64_t start, const std::vector<int> &pitches, int steps,
           int velocity)
{
    for (int p : pitches)
        t.at(start).noteOn(channel, p, velocity);
    for (int p : pitches)
        t.at(start + steps * kStep - kStep / 8).noteOff(channel, p);
}

// Tracks live in a vector that moves as it grows: add every track first, and
// only then hold references to them (song.track(i)).
// The channel is reset at the top of the set-up bar and set up a beat later.
void voice(SmfWriter &song, const std::string &name, int channel, int program, int volume, int pan)
{
    Track &t = song.addTrack();
    t.trackName(name);
    t.controlChange(channel, 121, 0);
    t.at(4 * kStep).controlChange(channel, 0, 0).controlChange(channel, 32, 0);
    if (channel != kDrums)
        t.programChange(channel, program);
    t.controlChange(channel, 7, volume).controlChange(channel, 10, pan).controlChange(channel, 91, 40);
}

void conductor(SmfWriter &song, const std::string &title, double bpm)
{
    song.addTrack().trackName(title).timeSignature(4, 2).bpm(bpm);
}

// A rock beat: kick on 1 and 3, snare on 2 and 4, closed hi-hat in eighths.
void beat(Track &drums, std::int64_t start, int bars)
{
    for (int b = 0; b < bars; ++b) {
        for (int e = 0; e < 8; ++e) {
            const std::int64_t tick = start + b * kBar + e * 2 * kStep;
            std::vector<int> hits{42};
            if (e == 0 || e == 4)
                hits.push_back(36);
            if (e == 2 || e == 6)
                hits.push_back(38);
            chord(drums, kDrums, tick, hits, 1, e % 2 ? 70 : 95);
        }
    }
}

// A bass line in eighths on the roots of a progression, one chord a bar.
void bassRoots(Track &bass, int channel, std::int64_t start, const std::vector<int> &roots)
{
    for (std::size_t b = 0; b < roots.size(); ++b)
        for (int e = 0; e < 8; ++e)
            line(bass, channel, start + std::int64_t(b) * kBar + e * 2 * kStep,
                 {{roots[b] + (e == 6 ? 7 : 0), 2}}, e % 2 ? 80 : 100);
}

SmfWriter opening()
{
    SmfWriter song(1, kPpqn);
    conductor(song, "Opening", 132);
    voice(song, "Brass", 0, 61, 100, 64);
    voice(song, "Bass", 1, 33, 105, 64);
    voice(song, "Drums", kDrums, 0, 100, 64);
    Track &brass = song.track(1), &bass = song.track(2), &drums = song.track(3);

    // C - Am - F - G, then a held C with a cymbal.
    line(brass, 0, kTop,
         {{72, 4}, {76, 2}, {79, 6}, {76, 4},
          {81, 4}, {79, 2}, {76, 2}, {72, 8},
          {77, 4}, {81, 4}, {84, 6}, {81, 2},
          {79, 4}, {77, 4}, {74, 4}, {71, 4}},
         100);
    chord(brass, 0, kTop + 4 * kBar, {60, 64, 67, 72}, 16, 110);
    bassRoots(bass, 1, kTop, {36, 45, 41, 43});
    line(bass, 1, kTop + 4 * kBar, {{36, 16}}, 110);
    beat(drums, kTop, 4);
    chord(drums, kDrums, kTop + 4 * kBar, {36, 49}, 16, 120);
    return song;
}

SmfWriter medleyFirst()
{
    SmfWriter song(1, kPpqn);
    conductor(song, "Medley 1", 112);
    voice(song, "Piano", 0, 0, 100, 56);
    voice(song, "Strings", 1, 48, 80, 72);
    Track &piano = song.track(1), &strings = song.track(2);
    // Speeds up for the second half, into the tempo of the song that follows.
    song.track(0).at(kTop + 2 * kBar).bpm(126).at(kTop + 3 * kBar).bpm(140);

    // G - D - Em - C, arpeggiated, with the strings holding each chord.
    const std::vector<std::vector<int>> chords{
        {55, 59, 62, 67}, {50, 54, 57, 62}, {52, 55, 59, 64}, {48, 52, 55, 60}};
    for (std::size_t b = 0; b < chords.size(); ++b) {
        std::vector<Note> arpeggio;
        for (int k = 0; k < 8; ++k)
            arpeggio.push_back({chords[b][k % 4] + (k >= 4 ? 12 : 0), 2});
        line(piano, 0, kTop + std::int64_t(b) * kBar, arpeggio, 90);
        chord(strings, 1, kTop + std::int64_t(b) * kBar, chords[b], 16, 70);
    }
    return song;
}

SmfWriter medleySecond()
{
    SmfWriter song(1, kPpqn);
    conductor(song, "Medley 2", 140);
    voice(song, "Guitar", 0, 29, 95, 48);
    voice(song, "Bass", 1, 34, 105, 64);
    voice(song, "Drums", kDrums, 0, 100, 64);
    Track &guitar = song.track(1), &bass = song.track(2), &drums = song.track(3);

    // Power chords G - C - D - G, pushed on the last eighth of each bar.
    const std::vector<int> roots{43, 48, 50, 43};
    for (std::size_t b = 0; b < roots.size(); ++b) {
        const std::int64_t bar = kTop + std::int64_t(b) * kBar;
        const int r = roots[b] + 12;
        chord(guitar, 0, bar, {r, r + 7, r + 12}, 6, 105);
        chord(guitar, 0, bar + 6 * kStep, {r, r + 7, r + 12}, 6, 95);
        chord(guitar, 0, bar + 12 * kStep, {r, r + 7, r + 12}, 2, 90);
        chord(guitar, 0, bar + 14 * kStep, {r + 2, r + 9, r + 14}, 2, 100);
    }
    bassRoots(bass, 1, kTop, roots);
    beat(drums, kTop, 4);
    chord(drums, kDrums, kTop + 4 * kBar, {36, 49, 57}, 8, 120);
    chord(guitar, 0, kTop + 4 * kBar, {55, 62, 67}, 8, 110);
    line(bass, 1, kTop + 4 * kBar, {{31, 8}}, 110);
    return song;
}

SmfWriter ballad()
{
    SmfWriter song(1, kPpqn);
    conductor(song, "Ballad", 72);
    voice(song, "Piano", 0, 0, 95, 64);
    voice(song, "Strings", 1, 49, 75, 64);
    voice(song, "Flute", 2, 73, 90, 80);
    Track &piano = song.track(1), &pad = song.track(2), &flute = song.track(3);

    // F - Dm - Bb - C, closing on F.
    const std::vector<std::vector<int>> chords{
        {53, 57, 60}, {50, 53, 57}, {46, 50, 53}, {48, 52, 55}, {41, 53, 57, 60}};
    for (std::size_t b = 0; b < chords.size(); ++b) {
        const std::int64_t bar = kTop + std::int64_t(b) * kBar;
        chord(pad, 1, bar, chords[b], 16, 60);
        if (b + 1 < chords.size()) {
            line(piano, 0, bar, {{chords[b][0] - 12, 4}, {chords[b][1], 4}, {chords[b][2], 4},
                                 {chords[b][1], 4}}, 70);
        } else {
            chord(piano, 0, bar, {41, 53, 57, 60, 65}, 16, 75);
        }
    }
    line(flute, 2, kTop,
         {{72, 6}, {74, 2}, {72, 4}, {69, 4},
          {74, 6}, {72, 2}, {69, 8},
          {70, 4}, {74, 4}, {77, 6}, {74, 2},
          {72, 8}, {67, 4}, {70, 4},
          {69, 16}},
         85);
    return song;
}

// Lyrics cards: a step mark (the number the step display shows, the position
// plus 1; a bar of 4/4 is 16 steps) and the lines of its page. After the
// set-up bar, the opening and the ballad are five bars long (80 steps), the
// first medley song four (64), the second four and a half (72). The first
// page stands from the top, so that it is up while the song stands by.
const char *const kOpeningCard =
    "1\r\n幕が上がれば\r\n光の中へ\r\n"
    "33\r\n手拍子ひとつ\r\n胸が鳴る\r\n"
    "49\r\nさあ 声を合わせて\r\n"
    "65\r\n今夜の歌を\r\n"
    "81\r\nはじめよう！\r\n";

// A first mark 0 shows its page while the song waits at its top.
const char *const kMedleyFirstCard =
    "0\r\nゆっくり歩こう\r\n川沿いの道\r\n"
    "33\r\n風がほほを\r\nなでてゆく\r\n"
    "49\r\n少しずつ\r\n足が速くなる\r\n"
    "65\r\n次の角まで\r\n走りだせ！\r\n";

const char *const kMedleySecondCard =
    "1\r\n走れ 走れ\r\nどこまでも\r\n"
    "33\r\n夕焼け空を\r\n追いかけて\r\n"
    "49\r\n息が切れても\r\n"
    "65\r\n止まらない\r\n"
    "81\r\nイェイ！\r\n";

const char *const kBalladCard =
    "1\r\n静かな夜に\r\n灯りをともす\r\n"
    "33\r\nあなたの声が\r\n聞こえる気がする\r\n"
    "49\r\n遠い町でも\r\n同じ月を見て\r\n"
    "65\r\nまた会える日を\r\n待っている\r\n"
    "81\r\nおやすみ\r\n";

} // namespace

std::vector<DemoSong> demoSongs()
{
    std::vector<DemoSong> songs;
    songs.push_back({"01_opening", opening(), false, kOpeningCard});
    songs.push_back({"02_medley_a", medleyFirst(), true, kMedleyFirstCard});
    songs.push_back({"03_medley_b", medleySecond(), false, kMedleySecondCard});
    songs.push_back({"04_ballad", ballad(), false, kBalladCard});
    return songs;
}

} // namespace kazoon::demo
