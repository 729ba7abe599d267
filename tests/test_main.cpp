#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs with a QApplication so that widgets, timers and
// queued calls behave as in the program; the platform is offscreen in CTest.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
