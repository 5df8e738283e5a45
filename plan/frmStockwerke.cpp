#include "plan/frmStockwerke.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/windows.h"
#include "platform/ui/dialogs.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>

namespace {
frmStockwerke* g_instance = nullptr;
}

frmStockwerke& frmStockwerke::instance()
{
    if (!g_instance)
        g_instance = new frmStockwerke;
    return *g_instance;
}

bool frmStockwerke::exists()
{
    return g_instance != nullptr;
}

frmStockwerke::frmStockwerke()
{
    setObjectName(QStringLiteral("frmStockwerke"));
    m_facility = new QLabel;
    m_facility->setAlignment(Qt::AlignCenter);
    QFont font = m_facility->font();
    font.setPointSize(font.pointSize() + 6);
    m_facility->setFont(font);
    setCentralWidget(m_facility);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("Programm-&Einstellungen ..."), this, &frmStockwerke::menuSettings_Click);
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"), this, [this] { close(); });
    resize(1000, 700);
}

void frmStockwerke::init()
{
    setWindowTitle(AppTitle);
    m_facility->setText(MandantName);
    show();
    raise();
    activateWindow();
}

void frmStockwerke::menuSettings_Click()
{
    if (Windows().showSettings)
        Windows().showSettings();
}

void frmStockwerke::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (ui::msgBox(QStringLiteral("Möchten Sie ") + AppTitle + QStringLiteral(" beenden?"), ui::OkCancel | ui::Question, AppTitle)
        == ui::Answer::Ok)
        ExitProgram();
}
