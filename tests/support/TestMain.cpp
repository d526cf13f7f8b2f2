// Test entry point: a Qt application on the offscreen platform, so widgets, fonts and images
// work without a display, then GoogleTest. Built a second time for tests of Qt Core code, with
// a core application only.
#include <gtest/gtest.h>
#ifdef SCRIVET_TEST_CORE_APPLICATION
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    TestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
