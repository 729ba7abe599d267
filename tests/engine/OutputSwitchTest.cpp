#include "EngineTestSupport.h"

#include "player/engine/FluidSynthOutput.h"

#include <chrono>
#include <filesystem>
#include <fluidsynth.h>
#include <fstream>
#include <set>
#include <thread>

namespace kazoon::engine::test {
namespace {

using smf::SmfWriter;

// Two bars of long notes on channel 0 at 120 bpm: a note sounds at any moment.
std::string longNotes(const std::string &name)
{
    SmfWriter w(0, 480);
    auto &t = w.addTrack();
    t.tempo(500000);
    for (int i = 0; i < 8; ++i)
        t.note(0, 60 + i, 100, 470).delta(10);
    return writeSong(w, name);
}

std::unique_ptr<RecordingOutput> recording() { return std::make_unique<RecordingOutput>(Driver::Mode::Manual); }

TEST(OutputSwitch, MidSongTheOldOutputFallsSilentAndTheNewOnePlaysOn)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(longNotes("switch.mid"));
    seq.Play();
    rig.advanceMs(1100); // the third note sounds
    const std::int64_t position = seq.Position();

    auto next = recording();
    RecordingOutput *b = next.get();
    std::unique_ptr<Output> old = seq.setOutput(std::move(next));
    ASSERT_EQ(old.get(), rig.output);
    EXPECT_EQ(&seq.output(), b);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), position);

    SoundState a;
    a.apply(rig.output->take());
    EXPECT_TRUE(a.silent());
    EXPECT_EQ(a.sounding(), 0);

    // The new output starts from a known state and nothing sounds on it yet.
    SoundState s;
    const auto reset = b->take();
    s.apply(reset);
    EXPECT_TRUE(noteOns(reset).empty());
    EXPECT_TRUE(s.silent());

    seq.Play();
    b->advanceBy(10'000'000);
    const auto played = b->take();
    EXPECT_EQ(noteOns(played).size(), 5u);
    s.apply(played);
    EXPECT_TRUE(s.silent());
    EXPECT_EQ(seq.Position(), seq.Length());

    // Switched away, the old output hears nothing more.
    rig.output->advanceBy(10'000'000);
    seq.SeekToStart();
    seq.Play();
    b->advanceBy(10'000'000);
    EXPECT_TRUE(rig.output->messages().empty());
    EXPECT_EQ(noteOns(b->take()).size(), 8u);
}

TEST(OutputSwitch, APauseAndItsEndPositionSurviveTheSwitch)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(longNotes("pause.mid"));
    seq.SetEndPosition(24);
    seq.Play();
    rig.advanceMs(600);
    seq.Pause();
    rig.deliver();
    const int notified = rig.notified;
    const std::int64_t position = seq.Position();

    auto next = recording();
    RecordingOutput *b = next.get();
    seq.setOutput(std::move(next));
    rig.deliver();
    EXPECT_EQ(rig.notified, notified); // nothing is owed twice
    EXPECT_EQ(seq.Mode(), DeviceMode::Paused);
    EXPECT_EQ(seq.Position(), position);

    seq.Resume();
    b->advanceBy(10'000'000);
    EXPECT_EQ(seq.Mode(), DeviceMode::Stopped);
    EXPECT_EQ(seq.Position(), 24);
    rig.deliver();
    EXPECT_EQ(rig.notified, notified + 1);
}

TEST(OutputSwitch, ThroughTheNullOutputAndBackNothingHangs)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(longNotes("null.mid"));
    seq.Play();
    rig.advanceMs(300);

    // The null output plays on its own real-time thread. The first output is
    // kept: what it received is looked at below.
    const std::unique_ptr<Output> firstOutput = seq.setOutput(std::make_unique<NullOutput>());
    seq.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    seq.Stop();
    const std::int64_t position = seq.Position();

    auto next = recording();
    RecordingOutput *c = next.get();
    seq.setOutput(std::move(next));
    EXPECT_EQ(seq.Position(), position);
    EXPECT_EQ(seq.Error(), 0);
    seq.Play();
    c->advanceBy(10'000'000);
    SoundState s;
    s.apply(c->take());
    EXPECT_TRUE(s.silent());
    EXPECT_EQ(seq.Position(), seq.Length());

    SoundState first;
    first.apply(rig.output->take());
    EXPECT_TRUE(first.silent());
}

TEST(OutputSwitch, ALossOnTheOldOutputIsNotReportedByTheNewOne)
{
    Rig rig;
    auto &seq = rig.sequencer;
    seq.Open(longNotes("lost2.mid"));
    seq.Play();
    rig.advanceMs(300);
    rig.output->fail(true);
    rig.advanceMs(300);
    seq.setOutput(recording());
    seq.Stop();
    EXPECT_EQ(seq.Error(), 0);
    seq.Play();
    EXPECT_EQ(seq.Mode(), DeviceMode::Playing);
}

TEST(FluidSynthOutput, ListsEachSoundFontOnceInFolderAndNameOrder)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "soundfonts";
    fs::remove_all(root);
    fs::create_directories(root / "one" / "sub.sf2");
    fs::create_directories(root / "two");
    for (const char *name : {"one/b.sf2", "one/A.SF3", "one/notes.txt", "two/c.sf2"})
        std::ofstream(root / name) << "x";
    fs::create_symlink(root / "one" / "b.sf2", root / "one" / "default.sf2");
    fs::create_symlink(root / "two" / "c.sf2", root / "one" / "z.sf2");
    fs::create_symlink(root / "missing.sf2", root / "two" / "broken.sf2");

    const auto found = FluidSynthOutput::listSoundFonts(
        {(root / "one").string(), (root / "two").string(), (root / "none").string()});
    const std::vector<std::string> expected{(root / "one" / "A.SF3").string(), (root / "one" / "b.sf2").string(),
                                            (root / "one" / "z.sf2").string()};
    EXPECT_EQ(found, expected);
}

TEST(FluidSynthOutput, TheConfiguredSoundFontOrElseTheFirstStandardOneThatIsThere)
{
    const std::vector<std::string> standard = {"/sf/default.sf2", "/sf/full.sf2", "/sf/small.sf2"};
    const struct {
        std::string configured;
        std::set<std::string> there;
        std::string chosen;
    } rows[] = {
        {"", {"/sf/default.sf2", "/sf/small.sf2"}, "/sf/default.sf2"},
        {"", {"/sf/full.sf2", "/sf/small.sf2"}, "/sf/full.sf2"},
        {"", {"/sf/small.sf2"}, "/sf/small.sf2"},
        {"", {}, ""},
        // The performer's own stays, there or not: a missing one is reported.
        {"/mine.sf2", {"/sf/default.sf2"}, "/mine.sf2"},
        {"/gone.sf2", {}, "/gone.sf2"},
    };
    for (const auto &row : rows) {
        const auto there = [&row](const std::string &path) { return row.there.count(path) > 0; };
        EXPECT_EQ(chooseSoundFont(row.configured, standard, there), row.chosen) << row.configured;
    }
}

TEST(FluidSynthOutput, SettingsEditedByMeaningAreTheLibrarysOwn)
{
    fluid_settings_t *library = new_fluid_settings();
    ASSERT_NE(library, nullptr);
    OutputConfig config;
    config.fluidSettings = {{"synth.gain", "0.6"}, {settingName(SynthSetting::Periods), "4"}};
    for (SynthSetting setting :
         {SynthSetting::AudioDriver, SynthSetting::PeriodSize, SynthSetting::Periods, SynthSetting::SampleRate}) {
        EXPECT_NE(fluid_settings_get_type(library, settingName(setting)), FLUID_NO_TYPE) << settingName(setting);
        config.setSynthSetting(setting, "1");
    }
    delete_fluid_settings(library);

    // Changed where the file holds it, added after the rest otherwise.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"synth.gain", "0.6"},
        {settingName(SynthSetting::Periods), "1"},
        {settingName(SynthSetting::AudioDriver), "1"},
        {settingName(SynthSetting::PeriodSize), "1"},
        {settingName(SynthSetting::SampleRate), "1"},
    };
    EXPECT_EQ(config.fluidSettings, expected);
    ASSERT_NE(config.synthSetting(SynthSetting::Periods), nullptr);
    EXPECT_EQ(*config.synthSetting(SynthSetting::Periods), "1");
    EXPECT_EQ(OutputConfig().synthSetting(SynthSetting::AudioDriver), nullptr);
}

} // namespace
} // namespace kazoon::engine::test
