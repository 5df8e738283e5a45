#pragma once

#include <QString>
#include <QTemporaryDir>

namespace test {

// A throw-away program folder; path() ends with "/" like the program's own.
class TempFolder {
public:
    TempFolder();
    QString path() const;
    QString file(const QString& name) const { return path() + name; }
    // Writes a file (parent folders created) and returns its full path.
    QString write(const QString& name, const QByteArray& content) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

}  // namespace test
