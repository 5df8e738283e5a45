#include "preferences/stations.h"

#include "core/messages.h"

QString OnlineStationsCaption(int attempt, const QStringList& names, const QString& thisComputer)
{
    QString caption = QString::number(attempt) + QStringLiteral(". ") + GetResString(1832) + QStringLiteral(" :");
    for (const QString& name : names) {
        if (name == thisComputer)
            caption += QLatin1Char('[') + GetResString(1833) + QStringLiteral("], ");
        else
            caption += name + QStringLiteral(", ");
    }
    return caption;
}
