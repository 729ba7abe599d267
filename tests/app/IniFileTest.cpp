#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "app/IniFile.h"
#include "app/ParseInt.h"
#include "support/DiskFull.h"

using namespace kazoon;

TEST(ParseInteger, AcceptsTheProgramsForms)
{
    const struct {
        const char16_t *text;
        std::optional<int> value;
    } rows[] = {
        {u"0", 0},
        {u"42", 42},
        {u"-7", -7},
        {u"+5", 5},
        {u"  5", 5},
        {u"$1F", 31},
        {u"-$10", -16},
        {u"0x1", 1},
        {u"0X1f", 31},
        {u"x10", 16},
        {u"0x80000008", int(0x80000008u)},
        {u"$FFFFFFFF", -1},
        {u"2147483647", 2147483647},
        {u"-2147483648", int(-2147483647 - 1)},
        {u"2147483648", std::nullopt},
        {u"0x100000000", std::nullopt},
        {u"5 ", std::nullopt},
        {u"", std::nullopt},
        {u"  ", std::nullopt},
        {u"-", std::nullopt},
        {u"0x", std::nullopt},
        {u"$", std::nullopt},
        {u"yes", std::nullopt},
        {u"1.5", std::nullopt},
        {u"12a", std::nullopt},
        {u"１２", std::nullopt}, // full-width digits are text
    };
    for (const auto &row : rows)
        EXPECT_EQ(parseInteger(QStringView(row.text)), row.value)
            << QString::fromUtf16(row.text).toStdString();
}

TEST(IniFile, ReadsValuesWithDefaults)
{
    IniFile ini;
    ini.parse("; comment\r\n[main]\r\ntop = 12 \r\nLEFT=$10\r\n[QS_Mode]\nSet=0x1\nBer=yes\n"
              "[Words]\rSet=\rPath=\"C:/Lyrics\"\rFontName=ＭＳ 明朝\r[Words]\rTop=99\r");
    EXPECT_EQ(ini.readInteger("Main", "Top", 0), 12);     // names match without case
    EXPECT_EQ(ini.readInteger("Main", "Left", 0), 16);
    EXPECT_TRUE(ini.readBool("QS_Mode", "Set", false));    // hexadecimal 1
    EXPECT_EQ(ini.readInteger("QS_Mode", "Ber", -3), -3);  // not a number: default
    EXPECT_TRUE(ini.readBool("Words", "Set", true));       // empty: default
    EXPECT_FALSE(ini.readBool("Words", "Set", false));
    EXPECT_EQ(ini.readString("Words", "Path", "x"), "C:/Lyrics");
    EXPECT_EQ(ini.readString("Words", "FontName", ""), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(ini.readInteger("Words", "Top", 0), 0);      // a second section of the name is not read
    EXPECT_EQ(ini.readInteger("Nope", "Top", 7), 7);
    EXPECT_EQ(ini.readString("Words", "Missing", "def"), "def");
}

TEST(IniFile, TextIsCappedAt2047Characters)
{
    IniFile ini;
    ini.parse("[Words]\nPath=" + QByteArray(5000, 'a') + "\n");
    EXPECT_EQ(ini.readString("Words", "Path", "").size(), 2047);
}

TEST(IniFile, UpdatesInPlaceAndKeepsWhatItDoesNotKnow)
{
    IniFile ini;
    ini.parse("[Other]\nkeep=me\n\n[main]\nExtra=1\nTOP=5\n; note\n\n[Tail]\nx=y\n");
    ini.writeInteger("Main", "Top", -20);
    ini.writeInteger("Main", "Left", 3);
    ini.writeString("Words", "Path", "/a/b\nc");
    ini.writeBool("Words", "Set", true);
    EXPECT_EQ(ini.text(), "[Other]\nkeep=me\n\n[main]\nExtra=1\nTOP=-20\nLeft=3\n; note\n\n"
                          "[Tail]\nx=y\n[Words]\nPath=/a/b\nSet=1\n");
}

TEST(IniFile, DamagedContentReadsAsFarAsItMakesSense)
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) & 0xFF));
    IniFile ini;
    ini.parse(junk + QByteArrayLiteral("\n[Main]\nTop=\0" "5\nLeft=") + QByteArray(1 << 20, '9') +
              "\n" + junk);
    EXPECT_EQ(ini.readInteger("Main", "Top", 0), 5); // NUL bytes are dropped
    EXPECT_EQ(ini.readInteger("Main", "Left", -1), -1);

    // Invalid UTF-8 is read as Shift-JIS.
    QStringEncoder sjis("Shift_JIS");
    ASSERT_TRUE(sjis.isValid());
    IniFile old;
    old.parse(QByteArray("[Words]\r\nFontName=") + QByteArray(sjis.encode(QStringLiteral("ＭＳ Ｐ明朝"))) +
              "\r\n");
    EXPECT_EQ(old.readString("Words", "FontName", ""), QStringLiteral("ＭＳ Ｐ明朝"));
}

TEST(IniFile, SavesIntoANewFolderAndNamesTheFileWhenRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/Kazoon.ini");
    IniFile ini(path); // missing: empty
    ini.writeInteger("Main", "Top", 1);
    ini.save();
    EXPECT_EQ(IniFile(path).readInteger("Main", "Top", 0), 1);

    // A folder that is a file refuses every write, whoever runs the test.
    const QString blocked = path + "/Kazoon.ini";
    IniFile refused(blocked);
    refused.writeInteger("Main", "Top", 2);
    try {
        refused.save();
        FAIL() << "the write was reported as done";
    } catch (const std::runtime_error &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(blocked));
    }
    EXPECT_EQ(IniFile(path).readInteger("Main", "Top", 0), 1);
}

TEST(IniFile, ADiskThatFillsUpKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Kazoon.ini");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("[Main]\nTop=1\n");
    }
    IniFile ini(path);
    for (int i = 0; i < 100; ++i)
        ini.writeString("Other", QStringLiteral("Key%1").arg(i), QStringLiteral("a value of some length"));

    bool refused = false;
    QString message;
    ASSERT_TRUE(kazoon::test::withFileSizeLimit(512, [&] {
        try {
            ini.save();
        } catch (const std::runtime_error &e) {
            refused = true;
            message = QString::fromUtf8(e.what());
        }
    }));

    EXPECT_TRUE(refused);
    // The reason is the full disk, in the program's language.
    EXPECT_TRUE(message.endsWith(QStringLiteral("ディスクの空き容量が足りません。"))) << message.toStdString();
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("[Main]\nTop=1\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Kazoon.ini"});
}
