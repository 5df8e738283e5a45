#pragma once

#include <QString>

#include <functional>

// What reading the database found wrong and the user should hear of once
// per run and database: a booking whose period cannot be read, a place whose
// position cannot be read. Queries only note it (they may run inside a write
// transaction or in the middle of a drawing); RunHandler tells it when its
// handler has ended.

// Notes text under key; a key already noted or told for the open database is
// passed over.
void NoticeOnce(const QString& key, const QString& text);
// The same with a text made only when the key is new (it may read rows).
void NoticeOnce(const QString& key, const std::function<QString()>& text);

// Shows every notice noted for the open database and not told yet, each in
// its own message box; notices of another database are dropped. Returns how
// many were shown.
int TellNotices();
