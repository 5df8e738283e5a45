#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace test {

TempFolder::TempFolder() : m_dir(QDir::tempPath() + QStringLiteral("/velmorant-test-XXXXXX")) {}

QString TempFolder::path() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TempFolder::write(const QString& name, const QByteArray& content) const
{
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return full;
}

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

}  // namespace test
