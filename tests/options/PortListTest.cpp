#include <gtest/gtest.h>

#include <QComboBox>

#include "options/PortList.h"

using namespace kazoon;

namespace {

struct Row {
    const char *what;
    QStringList offered;
    QString remembered;
    std::optional<QString> none;
    QList<PortEntry> entries;
    int current;
};

} // namespace

TEST(PortList, OffersThePortsAndKeepsTheRememberedOneChosenEvenWhenGone)
{
    const QString none = QStringLiteral("(なし)");
    const QStringList two{QStringLiteral("Foot 28:0"), QStringLiteral("Pad 20:0")};
    const Row rows[] = {
        {"nothing remembered, no none entry: nothing chosen", two, QString(), std::nullopt,
         {{"Foot 28:0", "Foot 28:0"}, {"Pad 20:0", "Pad 20:0"}}, -1},
        {"nothing remembered: none chosen", two, QString(), none,
         {{none, QString()}, {"Foot 28:0", "Foot 28:0"}, {"Pad 20:0", "Pad 20:0"}}, 0},
        {"found under other ALSA numbers: the remembered name stays", two,
         QStringLiteral("Pad 24:0"), std::nullopt,
         {{"Foot 28:0", "Foot 28:0"}, {"Pad 20:0", "Pad 24:0"}}, 1},
        {"found after the none entry", two, QStringLiteral("Foot 28:0"), none,
         {{none, QString()}, {"Foot 28:0", "Foot 28:0"}, {"Pad 20:0", "Pad 20:0"}}, 1},
        {"gone: shown last as missing and still chosen", two, QStringLiteral("Keys 30:0"),
         std::nullopt,
         {{"Foot 28:0", "Foot 28:0"}, {"Pad 20:0", "Pad 20:0"},
          {"Keys 30:0(見つかりません)", "Keys 30:0"}},
         2},
        {"no ports at all: the remembered one is missing", {}, QStringLiteral("Keys 30:0"), none,
         {{none, QString()}, {"Keys 30:0(見つかりません)", "Keys 30:0"}}, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const PortList list = portList(row.offered, row.remembered, row.none);
        EXPECT_EQ(list.entries, row.entries);
        EXPECT_EQ(list.current, row.current);

        // The box shows the entries with the port as each one's data.
        QComboBox box;
        box.addItem(QStringLiteral("left from before"));
        showPortList(&box, list);
        ASSERT_EQ(box.count(), row.entries.size());
        for (int i = 0; i < box.count(); ++i) {
            EXPECT_EQ(box.itemText(i), row.entries[i].text);
            EXPECT_EQ(box.itemData(i).toString(), row.entries[i].port);
        }
        EXPECT_EQ(box.currentIndex(), row.current);
    }
}
