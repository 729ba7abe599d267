#include <QStringEncoder>
#include <gtest/gtest.h>

#include "lyrics/CardMaker.h"
#include "lyrics/SongLyrics.h"
#include "player/engine/MidiFile.h"
#include "smf/SmfWriter.h"

using namespace kazoon;
using namespace kazoon::lyrics;

namespace {

LyricsCard cardOf(const smf::SmfWriter &w, SongLyricsOptions options = {})
{
    return cardFromSong(engine::parseMidiFile(w.bytes()), options);
}

std::string shiftJis(const QString &text)
{
    QStringEncoder encoder("Shift_JIS");
    const QByteArray bytes = encoder(text);
    return bytes.toStdString();
}

std::string utf8(const char *text) { return text; }

} // namespace

TEST(SongLyrics, KaraokeTextBreaksAtSlashAndBackslashAndSkipsInformationLines)
{
    smf::SmfWriter w(1, 480);
    w.addTrack().text("@KMIDI KARAOKE FILE").text("@LENGL").text("@TTwinkle");
    w.addTrack()
        .at(1920).text("\\Twin").at(2040).text("kle ").at(2160).text("twin").at(2280).text("kle")
        .at(2400).text("/Lit").at(2520).text("tle ").at(2640).text("star")
        .at(3840).text("\\How").at(3960).text(" I").at(4080).text(" won").text("der");
    const LyricsCard card = cardOf(w);
    EXPECT_EQ(card.pages, (QStringList{"Twinkle twinkle\r\nLittle star", "How I wonder"}));
    // One beat (480 ticks) ahead of the first syllable, as the display counts steps.
    EXPECT_EQ(card.marks, (QList<int>{13, 29}));
    EXPECT_EQ(card.steps, (QStringList{"13", "29"}));

    const LyricsCard again = parseLyricsCard(cardBytes(card.pages, card.marks));
    EXPECT_EQ(again.pages, card.pages);
    EXPECT_EQ(again.marks, card.marks);

    smf::SmfWriter onlyInformation(0, 480);
    onlyInformation.addTrack().text("@KMIDI KARAOKE FILE").text("@Vversion");
    EXPECT_FALSE(cardOf(onlyInformation).usable());
}

TEST(SongLyrics, LyricEventsWinOverTextAndBreakAtCrAndLf)
{
    smf::SmfWriter w(0, 480);
    w.addTrack()
        .text("\\ignored")
        .at(480).lyric("Hel").lyric("lo\r").at(960).lyric("world\n").at(1920).lyric("a").lyric("gain\r\n")
        .at(2400).lyric("end/with\\slashes");
    const LyricsCard card = cardOf(w, {0, 2});
    EXPECT_EQ(card.pages, (QStringList{"Hello\r\nworld", "again", "end/with\\slashes"}));
    EXPECT_EQ(card.marks, (QList<int>{5, 17, 21}));
}

TEST(SongLyrics, LinesWithoutPageMarksAreGroupedIntoPages)
{
    smf::SmfWriter w(0, 480);
    // A page mark before the first line separates nothing.
    w.addTrack().at(0).text("\\one").at(480).text("/two").at(960).text("/three").at(1440).text("/four")
        .at(1920).text("/five");
    EXPECT_EQ(cardOf(w, {0, 2}).pages, (QStringList{"one\r\ntwo", "three\r\nfour", "five"}));
    EXPECT_EQ(cardOf(w, {0, 2}).marks, (QList<int>{1, 9, 17}));
    EXPECT_EQ(cardOf(w, {0, 1}).pages.size(), 3); // never fewer than two lines a page
    EXPECT_EQ(cardOf(w, {0, 3}).pages, (QStringList{"one\r\ntwo\r\nthree", "four\r\nfive"}));

    smf::SmfWriter unmarked(0, 480);
    unmarked.addTrack().at(480).lyric("all ").lyric("in ").lyric("one");
    EXPECT_EQ(cardOf(unmarked).pages, (QStringList{"all in one"}));
    EXPECT_EQ(cardOf(unmarked).marks, (QList<int>{1}));
}

TEST(SongLyrics, TextIsUtf8WhenAllOfItIsElseShiftJis)
{
    smf::SmfWriter sjis(0, 480);
    // ソ ends in the byte of "\": the text is decoded before the marks are read.
    sjis.addTrack().text("@Iinfo").text(shiftJis("\\さく")).text(shiftJis("ら")).text(shiftJis("/ソラ"))
        .text(shiftJis("\\ジ"));
    EXPECT_EQ(cardOf(sjis).pages, (QStringList{"さくら\r\nソラ", "ジ"}));

    smf::SmfWriter split(0, 480);
    const std::string sa = utf8("さ"); // three bytes, cut between two events
    split.addTrack().lyric(sa.substr(0, 2)).lyric(sa.substr(2) + utf8("くら\r")).lyric(utf8("é"));
    EXPECT_EQ(cardOf(split).pages, (QStringList{"さくら\r\né"}));

    smf::SmfWriter latin(0, 480);
    latin.addTrack().lyric("caf\xC9"); // not UTF-8, read as Shift-JIS: a half-width katakana
    EXPECT_EQ(cardOf(latin).pages, (QStringList{QString::fromUtf8("caf\xEF\xBE\x89")}));
}

TEST(SongLyrics, PageShowsFromTheStepOfItsFirstSyllable)
{
    smf::SmfWriter w(0, 96); // a step is 24 ticks
    w.addTrack().at(0).lyric("a\n").at(95).lyric("b\n").at(96).lyric("c");
    const LyricsCard card = cardOf(w, {0, 2});
    ASSERT_EQ(card.pages, (QStringList{"a", "b", "c"}));
    auto pageAt = [&](int position) {
        return pageForPosition(card.marks, player::StepDisplay::showing(position + 1), position);
    };
    EXPECT_EQ(pageAt(0), 0);
    EXPECT_EQ(pageAt(3), 1); // tick 95 lies in step 3
    EXPECT_EQ(pageAt(4), 2); // tick 96 is the first tick of step 4
    EXPECT_EQ(pageAt(5), 2);

    // With a lead of one beat all three would show at the top: they follow
    // one another a step apart.
    const LyricsCard led = cardOf(w);
    EXPECT_EQ(led.marks, (QList<int>{1, 2, 3}));
}

TEST(SongLyrics, PagesInOneStepStayApartAndRise)
{
    smf::SmfWriter w(0, 480);
    w.addTrack().at(0).text("\\a").at(10).text("\\b").at(20).text("\\c").at(1200).text("\\d");
    const LyricsCard card = cardOf(w, {0, 2});
    EXPECT_EQ(card.pages, (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(card.marks, (QList<int>{1, 2, 3, 11}));
}

TEST(SongLyrics, EventsOutOfOrderAcrossTracksAreSungInTickOrder)
{
    smf::SmfWriter w(1, 480);
    w.addTrack().at(960).lyric("x").at(1920).lyric("\nlast");
    w.addTrack().at(480).lyric("a").at(960).lyric("y").at(1440).lyric("\rz");
    const LyricsCard card = cardOf(w, {0, 2});
    // Equal ticks keep the track order.
    EXPECT_EQ(card.pages, (QStringList{"axy\r\nz", "last"}));
    EXPECT_EQ(card.marks, (QList<int>{5, 17}));
}

TEST(SongLyrics, EmptyAndBlankEventsAddNothing)
{
    smf::SmfWriter w(0, 480);
    w.addTrack().at(0).text("\\").at(100).text(" ").at(200).text("").at(300).text("\t")
        .at(960).text("Hel").text("lo").text(" ").text("").text("there ").text("/ ").text("/").text("\\ ")
        .at(1920).text("  next  ");
    const LyricsCard card = cardOf(w, {0, 2});
    EXPECT_EQ(card.pages, (QStringList{"Hello there", "next"}));
    EXPECT_EQ(card.marks, (QList<int>{9, 17}));

    smf::SmfWriter blank(0, 480);
    blank.addTrack().lyric(" ").lyric("").lyric("\r\n").text("words in text events");
    // Blank lyric events do not hide the text events' lyrics.
    EXPECT_EQ(cardOf(blank).pages, (QStringList{"words in text events"}));

    smf::SmfWriter none(0, 480);
    none.addTrack().lyric(" ").text("\\/ ").noteOn(0, 60, 100);
    EXPECT_FALSE(cardOf(none).usable());

    // Bytes that decode to nothing readable are not a page of "?" marks.
    smf::SmfWriter unreadable(0, 480);
    unreadable.addTrack().lyric("\xEF\xBB").lyric(std::string(1, '\0'));
    EXPECT_FALSE(cardOf(unreadable).usable());
}

TEST(SongLyrics, LanguageTagsAtTheStartOfAnEventAreLeftOutAndOtherBracesAreSung)
{
    const struct {
        const char *text, *shown;
    } rows[] = {
        {"{@LATIN}Hello", "Hello"},
        {"{@JP}{#SJIS}sora", "sora"},       // one after another
        {"\\{@LATIN}Twin", "\\Twin"},       // after a page mark, which stays
        {"/ {#EN-us_2}kle", "/ kle"},       // after a line mark and a blank
        {"{@LATIN}", ""},                   // a tag alone
        {"{chorus}", "{chorus}"},           // braces without @ or #
        {"{@ LATIN}x", "{@ LATIN}x"},       // a blank is no tag
        {"{@}x", "{@}x"},                   // no name
        {"{#ABCDEFGHIJKLMNOPQ}x", "{#ABCDEFGHIJKLMNOPQ}x"}, // a name too long
        {"{@LATIN", "{@LATIN"},             // never closed
        {"la {@JP}la", "la {@JP}la"},       // not at the start
        {"{#1}", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(withoutLanguageTag(QByteArrayView(row.text)), QByteArray(row.shown));
    }

    smf::SmfWriter w(0, 480);
    w.addTrack().text("@LENGL").text("{@LATIN}\\Twin").text("{@LATIN}kle").text("/{@LATIN}{star}")
        .text(shiftJis("\\{#JP}さくら"));
    EXPECT_EQ(cardOf(w, {0, 2}).pages, (QStringList{"Twinkle\r\n{star}", "さくら"}));
}
