#pragma once

#include "core/rowmerge.h"

#include <QString>

// Reads and writes of tbl_mandanten beyond its list and name (core/lookups.h).
// Values are bound; failures throw db::DbError.

// The facility's picture name as stored; "" when it has none, when there is
// no such facility and for an id below 1.
QString GetMandantImageFile(qint32 mandantId);

// The facility's name and picture changed from what a window shows: shown is
// the value it showed (as stored, trimmed, or "" for none). What another
// workstation stored since in the other fields stays; where it stored another
// value in the same field the user is asked once (AskClash: Ja writes this
// one, Nein keeps the stored one, Abbrechen writes nothing). Missing when the
// facility was deleted meanwhile; Refused, writing nothing, for an id below 1
// or an empty value. MergedSave.row is the facility as stored after.
MergedSave RenameMandant(qint32 mandantId, const QString& shownName, const QString& name);
MergedSave StoreMandantImageFile(qint32 mandantId, const QString& shownFile, const QString& file);

// The facility as questions and messages name it: Der Mandant "Lindenhof",
// or its number where it has no name.
QString MandantRowName(const QString& name, qint32 mandantId);
