#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Windows are tested without a screen, in the program's German locale.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmorant"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
