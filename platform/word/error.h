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

}  // namespace word
