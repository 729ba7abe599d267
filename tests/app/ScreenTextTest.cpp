#include <gtest/gtest.h>

#include <QList>
#include <QRect>

#include "app/ScreenPlacement.h"
#include "app/ShortText.h"

using namespace kazoon;

TEST(ScreenPlacement, AWindowOffEveryScreenComesOntoThePrimaryOne)
{
    const QRect primary(0, 0, 1920, 1040);  // task bar below
    const QRect second(1920, 0, 1280, 1024); // to the right
    const QList<QRect> both{primary, second};
    const QList<QRect> primaryOnly{primary};
    const QRect centred400x300(760, 370, 400, 300);
    const struct {
        const char *what;
        QRect stored;
        QList<QRect> screens;
        QRect expected;
    } rows[] = {
        {"on the primary screen", QRect(100, 50, 400, 300), both, QRect(100, 50, 400, 300)},
        {"on the second screen", QRect(2500, 400, 400, 300), both, QRect(2500, 400, 400, 300)},
        {"partly on a screen", QRect(-390, -290, 400, 300), both, QRect(-390, -290, 400, 300)},
        {"second screen removed", QRect(2500, 400, 400, 300), primaryOnly, centred400x300},
        {"far off to the left", QRect(-9000, 400, 400, 300), both, centred400x300},
        {"just off the edge", QRect(1920, 0, 400, 300), primaryOnly, centred400x300},
        {"too large for the screen", QRect(5000, 0, 2500, 1200), primaryOnly, primary},
        {"too wide only", QRect(5000, 0, 2000, 300), primaryOnly, QRect(0, 370, 1920, 300)},
        {"primary not at the origin", QRect(0, 0, 100, 100), QList<QRect>{QRect(3000, 0, 1000, 800)},
         QRect(3450, 350, 100, 100)},
        {"no screens known", QRect(5000, 5000, 10, 10), QList<QRect>{}, QRect(5000, 5000, 10, 10)},
    };
    for (const auto &row : rows)
        EXPECT_EQ(placeOnScreens(row.stored, row.screens), row.expected) << row.what;
}

TEST(ShortText, LongTextsAreCutInTheMiddle)
{
    EXPECT_EQ(shortenMiddle(QStringLiteral("/songs/a.mid")), QStringLiteral("/songs/a.mid"));
    const QString exact(kShownTextMax, u'a');
    EXPECT_EQ(shortenMiddle(exact), exact);

    const QString path = QStringLiteral("/home/") + QString(500, u'x') + QStringLiteral("/last song.mid");
    const QString shown = shortenMiddle(path);
    EXPECT_EQ(shown.size(), kShownTextMax);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/xxx")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/last song.mid")));
    EXPECT_EQ(shown.count(QChar(0x2026)), 1);
    EXPECT_EQ(shortenMiddle(QStringLiteral("abcdefghij"), 7), QStringLiteral("ab…ghij"));

    // Characters outside the basic plane are never split at either cut.
    const QString note = QStringLiteral("\U0001D11E");
    for (int offset = 0; offset < 2; ++offset) {
        const QString text = QString(offset, u'a') + note.repeated(200);
        const QString cut = shortenMiddle(text, 20);
        EXPECT_LE(cut.size(), 20);
        EXPECT_TRUE(cut.isValidUtf16()) << offset;
    }
}
