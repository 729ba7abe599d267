#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app/MainWindow.h"
#include "app/TfrmAbout.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "options/TfrmOption.h"
#include "songlist/TfrmSelect.h"
#include "support/TestApp.h"

using namespace kazoon;

namespace {

// What a screen reader (or a test driving the program from outside) says for
// a control: its accessible name, or the text Qt derives from it.
QString spokenName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

bool takesInput(QWidget *w)
{
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
           || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
           || qobject_cast<QAbstractSlider *>(w) || qobject_cast<QAbstractItemView *>(w)
           || qobject_cast<QPlainTextEdit *>(w);
}

} // namespace

TEST(Accessibility, EveryControlOfEveryWindowHasANameAndEveryWindowACaption)
{
    test::TestApp app;
    app.start();
    TfrmMain *m = app.main();
    const QList<QWidget *> windows{m, m->frmWrdDir, m->frmOption, m->frmSelect, m->frmWrd, m->frmAbout};
    for (QWidget *window : windows) {
        ASSERT_NE(window, nullptr);
        // The editor is captioned by the command that opens it.
        if (window != m->frmSelect) {
            EXPECT_FALSE(window->windowTitle().isEmpty()) << window->objectName().toStdString();
        }
        // Each window's own controls: the dialogs are children of the main window.
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window)
                continue;
            // Parts of a control (scroll bars, headers, a combo box's edit
            // field and pop-up list) are spoken as their control.
            if (!takesInput(w) || w->inherits("QScrollBar") || w->inherits("QHeaderView")
                || w->inherits("QComboBoxListView") || qobject_cast<QComboBox *>(w->parentWidget())
                || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            EXPECT_FALSE(spokenName(w).trimmed().isEmpty())
                << window->objectName().toStdString() << ": " << w->metaObject()->className() << " "
                << w->objectName().toStdString();
        }
    }
}
