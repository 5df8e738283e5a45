#include "preferences/frmVorgaben.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/startup.h"
#include "preferences/installation.h"
#include "preferences/shortcuts.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

void frmVorgaben::btnSearchDB_Path_Click()
{
    ui::FileRequest request;
    request.title = GetResString(1756);
    request.directory = AppPath;
    const QString current = tbDBName->text();
    if (current.contains(QLatin1Char('\\')) || current.contains(QLatin1Char('/')))
        request.fileName = current;
    else if (!current.isEmpty())
        request.fileName = AppPath + current;
    if (!request.fileName.isEmpty())
        request.directory.clear();
    request.filter = QStringLiteral("Datenbank (*.mdb);;Alle Dateien (*)");
    const QString chosen = ui::DialogService::instance().openFile(request);
    if (!chosen.isEmpty())
        tbDBName->setText(chosen);
}

void frmVorgaben::btnSearchNetworkExePath_Click()
{
    const QString current = tbNetworkExePath->text();
    const QString chosen =
        ui::DialogService::instance().folder(GetResString(1829), current.size() < 2 ? AppPath : current);
    if (chosen.isEmpty())
        return;
    tbNetworkExePath->setText(chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/'));
    btnMoveInstallationToNetwork->setVisible(true);
}

void frmVorgaben::btnMoveInstallationToNetwork_Click()
{
    RunHandler(QStringLiteral("btnMoveInstallationToNetwork_Click"), [this] {
        stopOnlineDisplay();
        QString dbField = tbDBName->text();
        if (!MoveInstallation(tbNetworkExePath->text(), dbField))
            return;
        tbDBName->setText(dbField);
        ExitProgramAsked();
    });
}

void frmVorgaben::linkBoxClicked(QCheckBox* box, int folder, const QString& question, const QString& title)
{
    if (FillingLists)
        return;
    if (!box->isChecked()) {
        ModifyShortcut(folder, AppTitle, 1, QString(), QString(), QString(), QString());
        return;
    }
    if (ui::msgBox(question, ui::OkCancel | ui::Question, title) == ui::Answer::Ok
        && CreateShortcut(folder, AppTitle, AppPath + AppExeName(), QString(), AppTitle, AppPath))
        return;
    FillingListsGuard filling;
    box->setChecked(false);
}

void frmVorgaben::chkCreateDesktopLink_Click()
{
    linkBoxClicked(chkCreateDesktopLink, FolderDesktop, GetResString(1841, {{QStringLiteral("%s"), AppTitle}}),
                   GetResString(1840));
}

void frmVorgaben::chkCreateAutostartLink_Click()
{
    linkBoxClicked(chkCreateAutostartLink, FolderAutostart, GetResString(1836, {{QStringLiteral("%s"), AppTitle}}),
                   QStringLiteral("Autostart aktivieren"));
}
