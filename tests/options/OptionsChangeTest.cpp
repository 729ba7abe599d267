#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/Colors.h"
#include "lyrics/TfrmWrd.h"
#include "options/TfrmOption.h"
#include "support/ScriptedDialogs.h"

using namespace kazoon;
using kazoon::test::ScriptedDialogs;

namespace {

// The options dialog on its own: what OK hands back, with no main window.
struct BareOptions {
    ScriptedDialogs dialogs;
    LyricsDesign design{QFont(QStringLiteral("IPAGothic"), 20), 0x0000FF, 0x00FF00, QSize(500, 150),
                        true};
    std::optional<QString> folder; // what the chooser returns
    TfrmOption dlg{context()};

    OptionsContext context()
    {
        OptionsContext c;
        c.dialogs = &dialogs;
        c.lyricsDesign = [this] { return std::optional<LyricsDesign>(design); };
        c.chooseLyricsFolder = [this](const QString &) { return folder; };
        return c;
    }

    std::optional<OptionsChange> run(std::function<int(TfrmOption *)> script)
    {
        dialogs.onExec([script](QDialog *d) { return script(static_cast<TfrmOption *>(d)); });
        return dlg.execModal();
    }
};

} // namespace

TEST(OptionsChange, OkHandsBackWhatChangedAndNothingElseDoes)
{
    BareOptions o;
    o.dlg.chkOnLsn->setChecked(true);
    o.folder = QStringLiteral("/歌詞");
    const auto change = o.run([](TfrmOption *d) {
        d->RadioWrd2->click();
        d->cmdDirClick();
        d->chkOnStop->setChecked(true);
        d->chkOnLsn->setChecked(false);
        d->chkOnRep->setChecked(true);
        d->cmdDefault->click();
        d->OKBtn->click();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(change);
    EXPECT_EQ(o.dlg.txtDir->text(), QStringLiteral("/歌詞"));
    EXPECT_TRUE(change->folderRuleChanged);
    EXPECT_TRUE(change->showWhileStopped);
    EXPECT_FALSE(change->lessonAllowed);
    EXPECT_TRUE(change->repeatAllowed);
    ASSERT_TRUE(change->lyrics);
    EXPECT_EQ(change->lyrics->size, QSize(TfrmWrd::kDefaultWidth, TfrmWrd::kDefaultHeight));
    EXPECT_EQ(change->lyrics->font.pointSize(), 36);
    EXPECT_EQ(change->lyrics->foreColor, 0);
    EXPECT_EQ(change->lyrics->backColor, kWhiteColor);

    // Opened again with nothing changed: the same rule, the design as it was.
    const auto same = o.run([](TfrmOption *d) {
        d->OKBtn->click();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(same);
    EXPECT_FALSE(same->folderRuleChanged);
    ASSERT_TRUE(same->lyrics);
    EXPECT_EQ(same->lyrics->size, QSize(500, 150));
    EXPECT_EQ(same->lyrics->font.pointSize(), 20);
    EXPECT_EQ(same->lyrics->foreColor, 0x0000FF);

    // Cancel, or a dialog closed as accepted without its OK: nothing to apply.
    EXPECT_FALSE(o.run([](TfrmOption *d) {
        d->CancelBtn->click();
        return int(QDialog::Rejected);
    }));
    EXPECT_FALSE(o.run([](TfrmOption *) { return int(QDialog::Accepted); }));
}

TEST(OptionsChange, TheDefaultDesignKeepsTheSizeOfAWindowNotInItsNormalState)
{
    BareOptions o;
    o.design.normalState = false;
    const auto change = o.run([](TfrmOption *d) {
        d->cmdDefault->click();
        d->OKBtn->click();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(change && change->lyrics);
    EXPECT_EQ(change->lyrics->size, QSize(500, 150));
    EXPECT_EQ(change->lyrics->font.pointSize(), 36);

}

TEST(OptionsChange, WithoutALyricsWindowThereIsNoDesignToHandBack)
{
    ScriptedDialogs dialogs;
    OptionsContext context;
    context.dialogs = &dialogs;
    TfrmOption dlg{context};
    dialogs.onExec([](QDialog *d) {
        auto *o = static_cast<TfrmOption *>(d);
        o->cmdDefault->click();
        o->cmdFont->click(); // no window: no font dialog either
        o->OKBtn->click();
        return int(QDialog::Accepted);
    });
    const auto change = dlg.execModal();
    ASSERT_TRUE(change);
    EXPECT_FALSE(change->lyrics);
    EXPECT_EQ(dialogs.fontRequests, 0);
}
