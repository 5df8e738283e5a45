#include "preferences/frmVorgaben.h"

#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/inifile.h"
#include "core/lookups.h"
#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/workstation.h"
#include "preferences/maintenance.h"
#include "platform/runtime/format.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"
#include "platform/db/error.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

QString timeText(const rt::Date& d)
{
    return rt::formatDate(d, DateTimeFormat);
}

}  // namespace

QString frmVorgaben::maintenanceSource() const
{
    // Without the database the file typed here is the one to work on.
    return m_databaseMode ? DbPath : DatabaseSettingFor(tbDBName->text()).path;
}

void frmVorgaben::stopOnlineDisplay()
{
    if (!chkCheckForOnlineComputer->isChecked())
        return;
    chkCheckForOnlineComputer->setChecked(false);
    chkCheckForOnlineComputer_Click();
    ui::doEvents();
}

void frmVorgaben::afterMaintenance(int kind)
{
    const auto k = static_cast<MaintenanceResult::Kind>(kind);
    // The program now runs without its database: this window is all there is.
    if ((k == MaintenanceResult::Kind::Damaged || k == MaintenanceResult::Kind::NotOpen) && !DbOpen && m_databaseMode) {
        m_databaseMode = false;
        Timer1->stop();
        applyMode();
    }
}

void frmVorgaben::btnDefragMDB_Click()
{
    RunHandler(QStringLiteral("btnDefragMDB_Click"), [this] {
        if (m_databaseMode && RefuseReadOnly())
            return;
        stopOnlineDisplay();
        const MaintenanceResult result = CompactDatabase(maintenanceSource(), m_databaseMode);
        if (result.kind == MaintenanceResult::Kind::Done && m_databaseMode)
            lbLastDefragDate->setText(timeText(result.when));
        afterMaintenance(static_cast<int>(result.kind));
    });
}

void frmVorgaben::btnRepairMDB_Click()
{
    RunHandler(QStringLiteral("btnRepairMDB_Click"), [this] {
        if (m_databaseMode && RefuseReadOnly())
            return;
        stopOnlineDisplay();
        const MaintenanceResult result = RepairDatabase(maintenanceSource(), m_databaseMode);
        if (result.kind == MaintenanceResult::Kind::Done && m_databaseMode)
            lbLastRepairDate->setText(timeText(result.when));
        afterMaintenance(static_cast<int>(result.kind));
    });
}

void frmVorgaben::btnDoBackup_Click()
{
    RunHandler(QStringLiteral("btnDoBackup_Click"), [this] {
        if (!m_databaseMode)
            return;
        stopOnlineDisplay();
        const MaintenanceResult result = BackupDatabase(chkBackupDate2FileName->isChecked());
        if (result.kind == MaintenanceResult::Kind::Done) {
            lbLastBackupSavedDate->setText(timeText(result.when));
            lbLastBackupSavedOnStation->setText(ComputerName);
            lbBackupPath->setText(result.target);
        }
        afterMaintenance(static_cast<int>(result.kind));
    });
}

void frmVorgaben::btnDeleteOldTermine_Click()
{
    RunHandler(QStringLiteral("btnDeleteOldTermine_Click"), [this] {
        if (RefuseReadOnly())
            return;
        if (DeleteOldAppointmentsAsked(tbDeleteOldTerminSecurityDistanceDays->text()).kind == MaintenanceResult::Kind::Done)
            lbObsoleteTermineCount->setText(QStringLiteral("0"));
    });
}

void frmVorgaben::cmdDeleteTerminDuplicates_Click()
{
    RunHandler(QStringLiteral("cmdDeleteTerminDuplicates_Click"), [this] {
        if (RefuseReadOnly())
            return;
        DeleteTerminDuplicates();
        showObsoleteCount();
    });
}

QString frmVorgaben::unsavedEdit() const
{
    if (!isVisible() || !changedSinceLoad())
        return QString();
    return GetResString(1710) + QStringLiteral(": Änderungen an den Einstellungen");
}

void frmVorgaben::btnShutdown_Click()
{
    RunHandler(QStringLiteral("btnShutdown_Click"), [this] {
        if (RefuseReadOnly())
            return;
        const QString question = GetResString(1831, {{QStringLiteral("%s"), AppTitle}});
        const QString title = GetResString(1830, {{QStringLiteral("%s"), AppTitle}});
        if (ui::msgBox(question, ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
            return;
        try {
            RequestShutdownAll();
        } catch (const db::DbError& e) {
            ui::msgBox(e.description(), ui::Exclamation, QStringLiteral("Error while terminating remotely"));
            return;
        }
        // This workstation asked: its own watch lets the request pass.
        ShutdownRequestedHere = true;
        if (chkShutdownAll_includingThisOne->isChecked()) {
            // Ends as a quit does: going back to an edit on any question keeps this one running.
            QuitProgram();
            return;
        }
        if (chkCheckForOnlineComputer->isChecked())
            chkCheckForOnlineComputer_Click();
    });
}
