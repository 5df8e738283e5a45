#pragma once

#include <QtGlobal>

#include <optional>

// The older appointment table Termine, which a database may lack.

// Appointments that ended more than days days ago (at least one); nullopt
// when the database has no such table. Throws db::DbError.
std::optional<qint32> CountOldAppointments(int days);
// Deletes them; the number deleted, nullopt without the table. Throws db::DbError.
std::optional<qint64> DeleteOldAppointments(int days);
