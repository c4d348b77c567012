#include <QApplication>
#include <gtest/gtest.h>

// Every test binary owns one QApplication, so GUI and non-GUI tests can share
// it; the offscreen platform keeps them headless.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
