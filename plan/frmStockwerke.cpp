#include "plan/frmStockwerke.h"

#include "core/buildinggrid.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/preferences.h"
#include "platform/runtime/format.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/startup.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/ui/dialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

frmStockwerke::frmStockwerke()
{
    setObjectName(QStringLiteral("frmStockwerke"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    m_facility = new QLabel;
    QFont font = m_facility->font();
    font.setPointSize(font.pointSize() + 6);
    m_facility->setFont(font);
    m_period = new QLabel;
    BuildingGrid = new QTableWidget;
    BuildingGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbEinrichtungBelegtProzent = new QLabel;
    layout->addWidget(m_facility);
    layout->addWidget(m_period);
    layout->addWidget(BuildingGrid, 1);
    layout->addWidget(lbEinrichtungBelegtProzent);
    setCentralWidget(central);
    InitBuildingGridHeader(BuildingGrid);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("Programm-&Einstellungen ..."), this, &frmStockwerke::menuSettings_Click);
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"), this, [this] { close(); });
    resize(1000, 700);
}

void frmStockwerke::init()
{
    // Each refresh of the plan counts as this workstation's access.
    UpdateWorkstationLastAccess();
    setWindowTitle(AppTitle);
    m_facility->setText(MandantName);
    m_period->setText(QStringLiteral("Zeitraum: ") + rt::formatDate(SelectedPeriod[0], QStringLiteral("Dd.mm.yyyy")) + QStringLiteral(" - ")
                      + rt::formatDate(SelectedPeriod[1], QStringLiteral("Dd.mm.yyyy")));
    FillListBuildings(BuildingGrid, MandantId, SelectedPeriod[0], SelectedPeriod[1], lbEinrichtungBelegtProzent);
    show();
    raise();
    activateWindow();
}

void frmStockwerke::menuSettings_Click()
{
    RunHandler(QStringLiteral("menuSettings_Click"), [] {
        if (!CheckAdminPassword(false))
            return;
        if (Windows().showSettings)
            Windows().showSettings();
    });
}

void frmStockwerke::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (ui::msgBox(QStringLiteral("Möchten Sie ") + AppTitle + QStringLiteral(" beenden?"), ui::OkCancel | ui::Question,
                   AppTitle + QStringLiteral(" beenden"))
        == ui::Answer::Ok)
        ExitProgram();
}
