#pragma once

#include <QString>

#include <functional>

// The error barrier of every window handler that reaches the database: a
// db::DbError or other exception is reported once ("Fehler in " and the
// handler's name, then the error), the list-filling and closing flags and the
// hourglass are put back as they were, and nothing reaches the event loop.
// The end of the program passes through. True when fn ran to its end.
bool RunHandler(const QString& name, const std::function<void()>& fn);

// The text RunHandler shows for an error of the database layer.
QString HandlerErrorText(const QString& name, int number, const QString& description);

// True while a handler runs: its question or dialog stands, and whatever
// fires meanwhile (a timer) must not change what it is about.
bool HandlerRunning();
