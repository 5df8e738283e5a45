#pragma once

#include <QString>

// Reads and writes of tbl_mandanten beyond its name (core/lookups.h). Values
// are bound; failures throw db::DbError.

// The facility's picture name as stored; "" when it has none, when there is
// no such facility and for an id below 1.
QString GetMandantImageFile(qint32 mandantId);

// Stores the facility's picture name. Nothing is written for an id below 1 or
// an empty name; false then, and when the facility no longer exists.
bool SaveMandantImageFile(qint32 mandantId, const QString& file);
