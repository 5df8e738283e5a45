#include "core/globals.h"

#include <QCoreApplication>
#include <QFileInfo>

QString AppPath;
QString DbFileName;
QString DbPath;
QString ComputerName;
QString UserName;
qint32 MandantId = 1;
QString MandantName;
bool FillingLists = false;
bool Closing = false;
QString LastDeactivatedForm;
QString CurrentPlaceName;
bool PlanFormLoaded = false;
bool InvoiceFormOpen = false;
AddressReceiver* CallerForm = nullptr;

AddressReceiver::~AddressReceiver()
{
    if (CallerForm == this)
        CallerForm = nullptr;
}

QString AppExeName()
{
    QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return QStringLiteral("velmorant");
    return QFileInfo(path).completeBaseName();
}
