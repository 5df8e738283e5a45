#pragma once

#include <QString>

#include <stdexcept>

namespace word {

// Everything the document layer cannot do is reported this way; text() is a
// German sentence fit for a message box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// The folder the document is to be written to cannot be made or written to;
// folder() names it. Nothing is wrong with the document itself.
class FolderError : public Error {
public:
    FolderError(const QString& folder, const QString& text) : Error(text), m_folder(folder) {}
    const QString& folder() const { return m_folder; }

private:
    QString m_folder;
};

}  // namespace word
