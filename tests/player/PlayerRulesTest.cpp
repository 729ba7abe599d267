#include <gtest/gtest.h>

#include "player/PlayerRules.h"

using namespace kazoon::player;

namespace {

std::int64_t smpte(int h, int m, int s, int f)
{
    return h | (m << 8) | (s << 16) | (std::int64_t(f) << 24);
}

PositionMove to(int target, bool stepOne = false)
{
    return {PositionMove::MoveTo, target, stepOne};
}
PositionMove refresh(bool stepOne = false)
{
    return {PositionMove::Refresh, 0, stepOne};
}
StepDisplay shows(int step)
{
    return StepDisplay::showing(step);
}

} // namespace

TEST(PlayerRules, LengthShowsMinutesAndSecondsOnly)
{
    EXPECT_EQ(lengthText(smpte(0, 3, 5, 0)), QStringLiteral("3分5秒"));
    EXPECT_EQ(lengthText(smpte(1, 2, 10, 17)), QStringLiteral("2分10秒"));
    EXPECT_EQ(lengthText(smpte(0, 0, 0, 23)), QStringLiteral("0分0秒"));
    EXPECT_EQ(lengthText(smpte(0, 59, 59, 0)), QStringLiteral("59分59秒"));
}

TEST(PlayerRules, UnusedStatesHaveNoText)
{
    EXPECT_TRUE(infoText(4).isNull());
    EXPECT_TRUE(infoText(7).isNull());
    EXPECT_TRUE(infoText(10).isNull());
    EXPECT_EQ(infoText(0), QStringLiteral("MIDIファイルが選択されていません。"));
}

TEST(PlayerRules, PositionKeysAtTheEdges)
{
    struct Row {
        const char *what;
        PositionMove got, want;
    };
    const Row rows[] = {
        {"right from step 0 lands one short", forwardBy(0, 100, shows(0), 16), to(15)},
        {"right from step 1", forwardBy(0, 100, shows(1), 16), to(16)},
        {"right from step 0 on a short song", forwardBy(0, 10, shows(0), 16), to(10)},
        {"right near the end stops at max", forwardBy(90, 100, shows(91), 16), to(100)},
        {"right exactly n before the end", forwardBy(84, 100, shows(85), 16), to(100)},
        {"pgdn from step 0", forwardBy(0, 1000, shows(0), 128), to(127)},
        {"left far from the top", backBy(40, shows(41), 16), to(24)},
        {"left from step 17 shows step 1", backBy(16, shows(17), 16), to(0, true)},
        {"left from step 16 goes to step 0", backBy(15, shows(16), 16), to(0)},
        {"left at step 1 refreshes to step 0", backBy(0, shows(1), 16), refresh()},
        {"pgup from step 129 shows step 1", backBy(128, shows(129), 128), to(0, true)},
        {"keypad + at step 0 shows step 1 in place", forwardOne(0, 100, shows(0)), refresh(true)},
        {"keypad + at step 1", forwardOne(0, 100, shows(1)), to(1)},
        {"keypad + at max does nothing", forwardOne(100, 100, shows(101)), PositionMove{}},
        {"keypad - at step 1 refreshes to step 0", backOne(0, shows(1)), refresh()},
        {"keypad - at step 2 shows step 1", backOne(1, shows(2)), to(0, true)},
        {"keypad - further on", backOne(9, shows(10)), to(8)},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.got, r.want) << r.what;
}

TEST(PlayerRules, DeviceErrorsAreNothingABusyPortOrTheEnd)
{
    EXPECT_EQ(deviceCheck(0), DeviceCheck::Ok);
    EXPECT_EQ(deviceCheck(337), DeviceCheck::PortBusy);
    // Any other error ends the program; only the port may be tried again.
    for (const int error : {1, 336, 338, -1})
        EXPECT_EQ(deviceCheck(error), DeviceCheck::Fatal) << error;
}

TEST(PlayerRules, StepDisplayCountsFromOneWithTwoStopsAtTheTop)
{
    const struct {
        std::int64_t position;
        bool stepOneAtZero;
        StepDisplay want;
        const char *text;
    } rows[] = {
        {0, false, StepDisplay::showing(0), "0"},
        {0, true, StepDisplay::showing(1), "1"},
        {1, false, StepDisplay::showing(2), "2"},
        {1, true, StepDisplay::showing(2), "2"},
        {4999, false, StepDisplay::showing(5000), "5000"},
        // A position beyond the display's range shows its largest step.
        {std::int64_t(1) << 40, false, StepDisplay::showing(2147483647), "2147483647"},
    };
    for (const auto &row : rows) {
        const StepDisplay d = StepDisplay::at(row.position, row.stepOneAtZero);
        EXPECT_EQ(d, row.want) << row.position;
        EXPECT_EQ(d.text(), QString::fromLatin1(row.text)) << row.position;
    }
    // No song: nothing shown, and no step for the rules to go by.
    EXPECT_TRUE(StepDisplay().text().isEmpty());
    EXPECT_FALSE(StepDisplay().step());
    EXPECT_FALSE(StepDisplay().shows(0));
}
