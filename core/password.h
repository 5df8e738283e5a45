#pragma once

#include <QString>

// The administrator password in plain text; empty when none is set.
extern QString AdminPassword;
// True when AdminPassword was not empty at start.
extern bool AdminPasswordActive;
// A second accepted password. The program has none: it stays empty.
extern QString SecondAdminPassword;
// Set by the first correct entry of a check that asked to remember it; stays
// set until the program ends.
extern bool AdminConfirmed;

// True when the administrator action may go on. Asks for the password when one
// is set; a wrong entry is refused with a message, Cancel silently.
bool CheckAdminPassword(bool remember);

// The most characters the stored form holds.
constexpr int MaxPasswordLength = 16;

// The 16-character stored form of a password: trimmed and padded to 16.
// A longer one, or characters beyond Latin-1, cannot be stored:
// std::invalid_argument.
QString ScramblePassword(const QString& s);
// The password back from its stored form, trimmed.
QString UnscramblePassword(const QString& s);
// Whether the trimmed s fits the stored form.
bool IsStorablePassword(const QString& s);
// Why the trimmed s cannot be stored, as the user reads it; "" when it can.
QString PasswordProblem(const QString& s);
