#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace word::zip {

struct Entry {
    QString name;  // path inside the archive, "/" separated; folders end with "/"
    QByteArray data;
};

// The whole archive is read into memory, so the file it came from is never
// held open or written. Throws word::Error with a German text when the data is
// not a readable zip archive.
std::vector<Entry> read(const QByteArray& archive, const QString& displayName);

// Builds a deflate-compressed archive holding the entries in the given order.
QByteArray write(const std::vector<Entry>& entries);

}  // namespace word::zip
