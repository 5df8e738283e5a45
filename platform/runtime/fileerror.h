#pragma once

#include <QFileDevice>
#include <QString>

#include <system_error>

namespace rt {

// Why a file could not be read or written, in German words for a message:
// "Datei gesperrt", "keine Berechtigung", "Datenträger voll", "Datei oder
// Ordner fehlt", "dort steht ein Ordner", else "unbekannter Fehler". The system's own texts are English and stay out of
// the program's messages.
QString fileErrorReason(int errnoValue);
QString fileErrorReason(const std::error_code& error);
// A QFile's error, with errno as it stood right after the failed call: errno
// where it tells, else the kind of error.
QString fileErrorReason(QFileDevice::FileError error, int errnoValue);

}  // namespace rt
