// Test entry point: a Qt application on the offscreen platform, so widgets, fonts and images
// work without a display, then GoogleTest.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
