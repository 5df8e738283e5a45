#pragma once

#include "tests/support/temp_folder.h"

#include <QByteArray>
#include <QString>

namespace test {

// The desktop and the autostart folder of a user who lives in a temporary
// folder: shortcuts a test makes never reach the real ones.
class UserFolders {
public:
    UserFolders()
        : m_config(qgetenv("XDG_CONFIG_HOME")), m_desktop(qgetenv("XDG_DESKTOP_DIR"))
    {
        qputenv("XDG_CONFIG_HOME", home.file("config").toUtf8());
        qputenv("XDG_DESKTOP_DIR", home.file("Schreibtisch").toUtf8());
    }
    ~UserFolders()
    {
        qputenv("XDG_CONFIG_HOME", m_config);
        qputenv("XDG_DESKTOP_DIR", m_desktop);
    }
    UserFolders(const UserFolders&) = delete;
    UserFolders& operator=(const UserFolders&) = delete;
    QString autostart() const { return home.file("config/autostart"); }
    QString desktop() const { return home.file("Schreibtisch"); }

    TempFolder home;

private:
    QByteArray m_config;
    QByteArray m_desktop;
};

}  // namespace test
