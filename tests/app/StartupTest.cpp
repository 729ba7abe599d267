#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/Command.h"
#include "app/MainWindow.h"

using namespace kazoon;
using namespace kazoon::test;

TEST(Startup, FirstStartWithoutSettingsFile)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    EXPECT_EQ(m->pos(), QPoint(0, 0));
    EXPECT_EQ(m->windowTitle(), QStringLiteral("カズーン - 新規曲リスト"));
    EXPECT_FALSE(m->action("ButtonWrd")->isChecked());
    EXPECT_FALSE(m->action("mnuWrdItem")->isChecked());
    EXPECT_FALSE(app.settingsExist());
}
