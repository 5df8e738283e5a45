#pragma once

#include <QString>
#include <QStringList>

// The line of the stations logged in, refreshed while the settings window
// shows it: "3. Versuch : Online ist noch :" and the computer names in stored
// order, each followed by ", "; this computer (same name, case counts) as
// "[dieser Computer], ".
QString OnlineStationsCaption(int attempt, const QStringList& names, const QString& thisComputer);
