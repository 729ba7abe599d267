#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

#include "app/Dialogs.h"

using namespace kazoon;

// The lyrics font keeps no underline or strike-out, so the font dialog must
// not offer them.
TEST(Dialogs, TheFontDialogOffersNoEffects)
{
    QtDialogs dialogs;
    QFont font(QStringLiteral("IPAGothic"), 20);
    int checkBoxes = -1, shown = 0, sampleHeight = -1, lineHeight = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QFontDialog *>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            checkBoxes = int(dialog->findChildren<QCheckBox *>().size());
            for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
                shown += box->isVisibleTo(dialog) ? 1 : 0;
            // The sample keeps room to show the font.
            for (QGroupBox *group : dialog->findChildren<QGroupBox *>())
                if (auto *sample = group->findChild<QLineEdit *>(); sample && group->isVisible()) {
                    sampleHeight = sample->height();
                    lineHeight = sample->fontMetrics().height();
                }
            dialog->reject();
        }
    });
    EXPECT_FALSE(dialogs.chooseFont(nullptr, font));
    EXPECT_GE(checkBoxes, 2); // Qt's dialog, with its effects
    EXPECT_EQ(shown, 0);
    EXPECT_GE(sampleHeight, lineHeight);
    EXPECT_GT(lineHeight, 0);
    EXPECT_EQ(font, QFont(QStringLiteral("IPAGothic"), 20));
}
