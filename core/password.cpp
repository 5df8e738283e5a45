#include "core/password.h"

#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <stdexcept>

QString AdminPassword;
bool AdminPasswordActive = false;
QString SecondAdminPassword;
bool AdminConfirmed = false;

namespace {

constexpr int StoredLength = MaxPasswordLength;

}  // namespace

bool CheckAdminPassword(bool remember)
{
    if (AdminConfirmed && remember)
        return true;
    if (rt::trim(AdminPassword).isEmpty())
        return true;

    const std::optional<QString> answer = ui::DialogService::instance().password(
        QStringLiteral("Bitte geben Sie das Administrator-Passwort ein, um Zugriff zu erhalten:"),
        QStringLiteral("Passworteingabe"));
    const bool okPressed = answer.has_value();
    const QString entry = answer.value_or(QString());

    const QString upper = entry.toUpper();
    const bool correct = !entry.isEmpty()
                         && (upper == AdminPassword.toUpper()
                             || (!SecondAdminPassword.isEmpty() && upper == SecondAdminPassword.toUpper()));
    if (okPressed && !correct) {
        ui::msgBox(QStringLiteral("Sie haben nur eingeschränkten Zugriff auf diese Software, \n"
                                  "da Sie sich nicht als Administrator legitimieren konnten."),
                   ui::Critical, QStringLiteral("Passwort falsch"));
    }
    if (okPressed && correct && remember)
        AdminConfirmed = true;
    return correct;
}

QString PasswordProblem(const QString& s)
{
    const QString text = rt::trim(s);
    // Cut to the stored length it would no longer be the one typed.
    if (text.size() > MaxPasswordLength) {
        return QStringLiteral("Das Administrator-Passwort darf höchstens %1 Zeichen lang sein; eingegeben wurden %2.")
            .arg(MaxPasswordLength)
            .arg(text.size());
    }
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return QStringLiteral("Das Administrator-Passwort darf nur Zeichen des westeuropäischen Zeichensatzes enthalten.");
    }
    return QString();
}

bool IsStorablePassword(const QString& s)
{
    return PasswordProblem(s).isEmpty();
}

// Codes are Latin-1. The sum wraps at 256 instead of failing, so letters such
// as "ü" late in a password can be stored too; every password that fits
// without wrapping gives the same stored form as before.
QString ScramblePassword(const QString& s)
{
    if (!IsStorablePassword(s))
        throw std::invalid_argument("password too long or with a character outside Latin-1");
    QString text = (rt::trim(s) + QString(StoredLength, QLatin1Char(' '))).left(StoredLength);
    for (int i = 1; i <= StoredLength; ++i) {
        const int c = text.at(i - 1).unicode();
        text[i - 1] = QChar(static_cast<char16_t>(((c + i) & 0xFF) ^ 0xFF));
    }
    return text;
}

QString UnscramblePassword(const QString& s)
{
    QString text = s;
    for (int i = 1; i <= text.size(); ++i) {
        const int c = text.at(i - 1).unicode() & 0xFF;
        text[i - 1] = QChar(static_cast<char16_t>(((c ^ 0xFF) - i) & 0xFF));
    }
    return rt::trim(text);
}
