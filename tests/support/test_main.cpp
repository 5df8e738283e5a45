#include "platform/ui/desktop.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

// Windows are tested on a screen of 1366 x 768 pixels, the smallest common one.
QString screenConfig()
{
    const QString path = QDir::temp().filePath(QStringLiteral("velmorant-test-screen-%1.json").arg(getpid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96}]})");
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    // Windows are tested without a screen, in the program's German locale.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QString config;
    if (platform == "offscreen") {
        config = screenConfig();
        if (!config.isEmpty())
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(config));
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmorant"));
    // The program's keyboard and window conventions, as app/main.cpp installs them.
    ui::installDesktopConventions();
    if (!config.isEmpty()) {
        // Programs the tests start make a screen of their own.
        qputenv("QT_QPA_PLATFORM", platform);
        QFile::remove(config);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
