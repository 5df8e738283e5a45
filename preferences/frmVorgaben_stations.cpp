#include "preferences/frmVorgaben.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "preferences/stations.h"
#include "platform/db/error.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

void frmVorgaben::chkCheckForOnlineComputer_Click()
{
    if (FillingLists || !DbOpen)
        return;
    if (!chkCheckForOnlineComputer->isChecked()) {
        Timer1->stop();
        return;
    }
    try {
        OnlineStationNames();
    } catch (const db::DbError&) {
        return;
    }
    Timer1->start();
    Timer1_Timer();
}

void frmVorgaben::Timer1_Timer()
{
    QStringList names;
    try {
        names = OnlineStationNames();
    } catch (const db::DbError&) {
        // The label keeps what it showed; the next tick tries again.
        return;
    }
    ++m_attempts;
    lbOnlineComputers->setText(OnlineStationsCaption(m_attempts, names, ComputerName));
}

void frmVorgaben::btnStations_Click()
{
    ShowRessources(QStringLiteral("tbl_workstations"),
                   GetResString(340, {{QStringLiteral("%s"), GetResString(200)}}));
}

void frmVorgaben::btnEdit_GUI_Terms_Click()
{
    ShowRessources(QStringLiteral("tbl_gui_terms"), GetResString(1740));
}

void frmVorgaben::btnTextbausteine_Click()
{
    ShowRessources(QStringLiteral("Textbausteine"), GetResString(340, {{QStringLiteral("%s"), GetResString(198)}}));
}

void frmVorgaben::cmdMehrwertsteuer_Click()
{
    ShowRessources(QStringLiteral("tbl_vat"), QStringLiteral("Mehrwertsteuer"));
}
