#include "preferences/frmVorgaben.h"

#include "core/database.h"
#include "core/files.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/inifile.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/windows.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString text(int number)
{
    return GetResString(number);
}

QLabel* colorField()
{
    auto* label = new QLabel;
    label->setFrameShape(QFrame::Box);
    label->setMinimumSize(60, 20);
    label->setAutoFillBackground(true);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace

void frmVorgaben::showWindow()
{
    frmVorgaben& window = instance();
    window.show();
    window.raise();
    window.activateWindow();
}

frmVorgaben::frmVorgaben() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmVorgaben"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    Form_Load();
}

frmVorgaben::~frmVorgaben() = default;

void frmVorgaben::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    SSTab1 = new QTabWidget;
    outer->addWidget(SSTab1);

    // Tab 0: general settings.
    auto* general = new QWidget;
    auto* g = new QGridLayout(general);
    int row = 0;
    tbDBName = new QLineEdit;
    btnSearchDB_Path = new QPushButton;
    g->addWidget(new QLabel(text(1716) + QStringLiteral(" :")), row, 0);
    g->addWidget(tbDBName, row, 1, 1, 3);
    g->addWidget(btnSearchDB_Path, row++, 4);
    optMwSt_included[1] = new QRadioButton(QStringLiteral("alle Preise inkl. MwSt."));
    optMwSt_included[0] = new QRadioButton(QStringLiteral("alle Preise zzgl. MwSt."));
    g->addWidget(optMwSt_included[1], row, 1, 1, 2);
    g->addWidget(optMwSt_included[0], row++, 3, 1, 2);
    tbFontSize = new QLineEdit;
    tbFontSize->setMaximumWidth(50);
    btnFontSizeStep[0] = new QPushButton(QStringLiteral("+"));
    btnFontSizeStep[1] = new QPushButton(QStringLiteral("-"));
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(tbFontSize);
    fontRow->addWidget(btnFontSizeStep[0]);
    fontRow->addWidget(btnFontSizeStep[1]);
    fontRow->addStretch();
    g->addWidget(new QLabel(text(1721)), row, 0);
    g->addLayout(fontRow, row++, 1, 1, 4);
    tbMaxWeekCols = new QLineEdit;
    tbMaxWeekCols->setMaximumWidth(50);
    g->addWidget(new QLabel(text(1722)), row, 0);
    g->addWidget(tbMaxWeekCols, row++, 1);
    lbNormalTerminColor = colorField();
    lbTableFixedRowColBackColor = colorField();
    g->addWidget(new QLabel(text(1723)), row, 0);
    g->addWidget(lbNormalTerminColor, row++, 1);
    g->addWidget(new QLabel(text(1724)), row, 0);
    g->addWidget(lbTableFixedRowColBackColor, row++, 1);
    chkTableToolTipsEnabled = new QCheckBox;
    g->addWidget(chkTableToolTipsEnabled, row++, 0, 1, 5);
    tbPrinterLeftOffset = new QLineEdit;
    tbPrinterTopOffset = new QLineEdit;
    tbPrinterLeftOffset->setMaximumWidth(60);
    tbPrinterTopOffset->setMaximumWidth(60);
    g->addWidget(new QLabel(text(1732)), row, 0);
    g->addWidget(tbPrinterLeftOffset, row, 1);
    g->addWidget(new QLabel(text(1733)), row, 2);
    g->addWidget(tbPrinterTopOffset, row++, 3);
    chkPrintHeader = new QCheckBox;
    btnEditPrintHeader = new QPushButton;
    g->addWidget(chkPrintHeader, row, 0, 1, 3);
    g->addWidget(btnEditPrintHeader, row++, 4);
    tbPassword = new QLineEdit;
    tbPassword->setEchoMode(QLineEdit::Password);
    g->addWidget(new QLabel(text(1744)), row, 0);
    g->addWidget(tbPassword, row++, 1, 1, 2);
    btnEdit_GUI_Terms = new QPushButton;
    btnTextbausteine = new QPushButton;
    cmdMehrwertsteuer = new QPushButton(QStringLiteral("Mehrwertsteuer"));
    g->addWidget(new QLabel(text(1740)), row, 0, 1, 4);
    g->addWidget(btnEdit_GUI_Terms, row++, 4);
    g->addWidget(new QLabel(text(1741)), row, 0, 1, 4);
    g->addWidget(btnTextbausteine, row++, 4);
    g->addWidget(cmdMehrwertsteuer, row++, 4);
    g->setRowStretch(row, 1);
    SSTab1->addTab(general, text(1311));

    // Tab 1: this workstation.
    auto* station = new QWidget;
    auto* s = new QGridLayout(station);
    row = 0;
    lbComputerName = new QLabel;
    s->addWidget(new QLabel(text(1745)), row, 0);
    s->addWidget(lbComputerName, row++, 1, 1, 2);
    chkStation_is_ReadOnly = new QCheckBox;
    chkTerminAutoUpdate = new QCheckBox;
    s->addWidget(chkStation_is_ReadOnly, row++, 0, 1, 3);
    s->addWidget(chkTerminAutoUpdate, row++, 0, 1, 3);
    listStartupForm = new QComboBox;
    listStations = new QComboBox;
    btnStations = new QPushButton;
    s->addWidget(new QLabel(text(1747)), row, 0);
    s->addWidget(listStartupForm, row++, 1, 1, 2);
    s->addWidget(new QLabel(text(1748)), row, 0);
    s->addWidget(listStations, row, 1);
    s->addWidget(btnStations, row++, 2);
    chkCreateDesktopLink = new QCheckBox;
    chkCreateAutostartLink = new QCheckBox;
    s->addWidget(chkCreateDesktopLink, row++, 0, 1, 3);
    s->addWidget(chkCreateAutostartLink, row++, 0, 1, 3);
    lbInstallStatus = new QLabel;
    lbInstallStatus->setWordWrap(true);
    lbInstallStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s->addWidget(lbInstallStatus, row++, 0, 1, 3);
    tbNetworkExePath = new QLineEdit;
    btnSearchNetworkExePath = new QPushButton;
    btnMoveInstallationToNetwork = new QPushButton;
    s->addWidget(new QLabel(text(1750) + QStringLiteral(" :")), row, 0);
    s->addWidget(tbNetworkExePath, row, 1);
    s->addWidget(btnSearchNetworkExePath, row++, 2);
    s->addWidget(btnMoveInstallationToNetwork, row++, 2);
    chkCheckForOnlineComputer = new QCheckBox;
    chkShutdownAll_includingThisOne = new QCheckBox;
    btnShutdown = new QPushButton(QStringLiteral("Beenden"));
    s->addWidget(chkCheckForOnlineComputer, row++, 0, 1, 3);
    s->addWidget(chkShutdownAll_includingThisOne, row, 0, 1, 2);
    s->addWidget(btnShutdown, row++, 2);
    s->setRowStretch(row, 1);
    SSTab1->addTab(station, text(1017));

    // Tab 2: backup and database care.
    auto* care = new QWidget;
    auto* c = new QVBoxLayout(care);
    Frame1 = new QGroupBox;
    auto* f1 = new QGridLayout(Frame1);
    btnDoBackup = new QPushButton;
    lbBackupPath = new QLabel;
    lbLastBackupSavedDate = new QLabel;
    lbLastBackupSavedOnStation = new QLabel;
    chkBackupDate2FileName = new QCheckBox;
    f1->addWidget(new QLabel(text(1717)), 0, 0);
    f1->addWidget(lbBackupPath, 0, 1);
    f1->addWidget(btnDoBackup, 0, 2);
    f1->addWidget(new QLabel(text(1719) + QStringLiteral(" :")), 1, 0);
    f1->addWidget(lbLastBackupSavedDate, 1, 1);
    f1->addWidget(lbLastBackupSavedOnStation, 2, 1);
    f1->addWidget(chkBackupDate2FileName, 3, 0, 1, 3);
    auto* reminder = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        optBackupReminder[static_cast<size_t>(i)] = new QRadioButton;
        reminder->addWidget(optBackupReminder[static_cast<size_t>(i)]);
    }
    f1->addLayout(reminder, 4, 0, 1, 3);
    c->addWidget(Frame1);
    Frame2 = new QGroupBox;
    auto* f2 = new QGridLayout(Frame2);
    lbDatacareHint = new QLabel;
    lbDatacareHint->setWordWrap(true);
    btnRepairMDB = new QPushButton;
    btnDefragMDB = new QPushButton;
    lbLastRepairDate = new QLabel;
    lbLastDefragDate = new QLabel;
    f2->addWidget(lbDatacareHint, 0, 0, 1, 3);
    f2->addWidget(new QLabel(text(1742)), 1, 0);
    f2->addWidget(lbLastRepairDate, 1, 1);
    f2->addWidget(btnRepairMDB, 1, 2);
    f2->addWidget(new QLabel(text(1743)), 2, 0);
    f2->addWidget(lbLastDefragDate, 2, 1);
    f2->addWidget(btnDefragMDB, 2, 2);
    c->addWidget(Frame2);
    c->addStretch();
    SSTab1->addTab(care, text(1711));

    // Tab 3: bookings.
    auto* bookings = new QWidget;
    auto* b = new QGridLayout(bookings);
    chkBearbeiterSubscriptionRequired = new QCheckBox;
    chkPatsEnabled = new QCheckBox;
    lbPatCountCaption = new QLabel;
    lbPatCount = new QLabel;
    btnDeleteOldTermine = new QPushButton;
    b->addWidget(chkBearbeiterSubscriptionRequired, 0, 0, 1, 2);
    b->addWidget(chkPatsEnabled, 1, 0, 1, 2);
    b->addWidget(lbPatCountCaption, 2, 0);
    b->addWidget(lbPatCount, 2, 1);
    b->setRowStretch(3, 1);
    SSTab1->addTab(bookings, text(293));

    auto* buttons = new QHBoxLayout;
    btnHelp = new QPushButton;
    btnClose = new QPushButton;
    btnSave = new QPushButton;
    btnSave->setDefault(true);
    buttons->addWidget(btnHelp);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addWidget(btnSave);
    outer->addLayout(buttons);

    connect(btnSave, &QPushButton::clicked, this, &frmVorgaben::btnSave_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmVorgaben::btnClose_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmVorgaben::btnHelp_Click);
    connect(btnSearchDB_Path, &QPushButton::clicked, this, &frmVorgaben::btnSearchDB_Path_Click);
    connect(btnFontSizeStep[0], &QPushButton::clicked, this, [this] { stepFontSize(0); });
    connect(btnFontSizeStep[1], &QPushButton::clicked, this, [this] { stepFontSize(1); });
    tbDBName->installEventFilter(this);
    tbMaxWeekCols->installEventFilter(this);
    resize(640, 520);
}

void frmVorgaben::Form_Load()
{
    setWindowTitle(text(1710) + QLatin1Char(' ') + AppTitle + QLatin1Char(' ') + VersionText);

    btnEdit_GUI_Terms->setText(text(240));
    btnTextbausteine->setText(text(240));
    btnEditPrintHeader->setText(text(240));
    btnSearchNetworkExePath->setText(text(184));
    btnSearchDB_Path->setText(text(184));
    btnStations->setText(text(1515));
    btnHelp->setText(text(177));
    btnClose->setText(text(270));
    btnSave->setText(text(271));
    btnDoBackup->setText(text(1712));
    btnRepairMDB->setText(text(1713));
    btnDefragMDB->setText(text(1714));
    btnMoveInstallationToNetwork->setText(text(1751));
    chkBearbeiterSubscriptionRequired->setText(text(1792));
    chkTerminAutoUpdate->setText(text(1794));
    chkStation_is_ReadOnly->setText(text(1762));
    chkCreateAutostartLink->setText(text(1761));
    chkCreateDesktopLink->setText(text(1760));
    chkShutdownAll_includingThisOne->setText(text(1758));
    chkCheckForOnlineComputer->setText(text(1759));
    chkBackupDate2FileName->setText(text(1720));
    chkPrintHeader->setText(text(1746));
    optBackupReminder[0]->setText(text(1725));
    optBackupReminder[1]->setText(text(1726));
    optBackupReminder[2]->setText(text(1727));
    Frame2->setTitle(text(1711));
    Frame1->setTitle(text(1718));
    lbDatacareHint->setText(text(1715));
    btnDeleteOldTermine->setText(text(1752));

    chkPatsEnabled->setText(GetResString(1770, {{QStringLiteral("%s"), TermPersonPlural}}));
    chkTableToolTipsEnabled->setText(GetResString(1771, {{QStringLiteral("%s"), text(1778)}}));
    chkTableToolTipsEnabled->setToolTip(text(1791));
    lbPatCountCaption->setText(GetResString(1734, {{QStringLiteral("%s"), TermPersonPlural}}));

    FillingListsGuard filling;

    {
        const bool network = IsNetworkPath(AppPath);
        QString status = GetResString(1800, {{QStringLiteral("%s"), text(network ? 1801 : 1802)}});
        const QString exe = QCoreApplication::applicationFilePath();
        status += QLatin1Char('\n') + AppPath + AppExeName() + QLatin1Char('\n') + VersionText;
        const QFileInfo info(exe);
        if (info.exists())
            status += QStringLiteral("   (") + info.lastModified().toString(QStringLiteral("dd.MM.yyyy hh:mm")) + QLatin1Char(')');
        lbInstallStatus->setText(status);
    }

    m_databaseMode = DbOpen;
    if (m_databaseMode) {
        tbDBName->setText(DbPath);
        lbComputerName->setText(ComputerName);
        bool ok = false;
        const qint32 customers = CountRows(QStringLiteral("tbl_customers"), &ok);
        lbPatCount->setText(ok ? QString::number(customers) : QString());
    } else {
        tbDBName->setText(GetFileNamePart(DbFileName));
        btnShutdown->hide();
        chkShutdownAll_includingThisOne->hide();
        chkCheckForOnlineComputer->hide();
    }

    // Only the database file can be set until the other settings have their
    // own handlers; without a database nothing else could be stored anyway.
    for (QWidget* w : {SSTab1->widget(1), SSTab1->widget(2), SSTab1->widget(3)})
        w->setEnabled(false);
    for (QWidget* w : SSTab1->widget(0)->findChildren<QWidget*>()) {
        if (w != tbDBName && w != btnSearchDB_Path && !qobject_cast<QLabel*>(w))
            w->setEnabled(false);
    }
}

void frmVorgaben::btnSave_Click()
{
    RunHandler(QStringLiteral("btnSave_Click"), [this] {
        if (DbOpen && Windows().unloadAddressBook) {
            const bool previous = Closing;
            Closing = true;
            Windows().unloadAddressBook();
            Closing = previous;
        }

        SaveDatabaseSetting(tbDBName->text());

        const bool restart = !DbOpen;
        if (!restart) {
            InitGlobalTexts();
            FillResourceArrays();
            ShowMainForm();
        }
        m_unloading = true;
        close();
        // The window is gone before start-up runs again with the new file.
        if (restart)
            RestartProgram();
    });
}

void frmVorgaben::btnClose_Click()
{
    if (!DbOpen)
        EndProgram();
    m_unloading = true;
    close();
}

void frmVorgaben::btnHelp_Click()
{
    static const char* const topics[] = {"frmVorgaben.htm", "frmVorgaben.htm#arbeitsplatz", "frmVorgaben.htm#datenpflege",
                                         "frmVorgaben.htm#termine"};
    const int tab = SSTab1->currentIndex();
    if (tab >= 0 && tab < 4)
        ShowHelpTopic(QString::fromLatin1(topics[tab]));
}

void frmVorgaben::btnSearchDB_Path_Click()
{
    ui::FileRequest request;
    request.title = text(1756);
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

void frmVorgaben::stepFontSize(int index)
{
    int size = static_cast<int>(rt::val(tbFontSize->text())) + (index == 0 ? 1 : -1);
    size = std::clamp(size, 8, 14);
    tbFontSize->setText(QString::number(size));
}

void frmVorgaben::tbMaxWeekCols_LostFocus()
{
    const int days = static_cast<int>(rt::val(tbMaxWeekCols->text()));
    if (days < 7)
        tbMaxWeekCols->setText(QStringLiteral("7"));
    else if (days > 400)
        tbMaxWeekCols->setText(QStringLiteral("365"));
    else
        tbMaxWeekCols->setText(QString::number(days));
}

bool frmVorgaben::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == tbDBName)
            return true;
        if (enter && watched == tbMaxWeekCols) {
            tbMaxWeekCols_LostFocus();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && watched == tbMaxWeekCols) {
        tbMaxWeekCols_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void frmVorgaben::closeEvent(QCloseEvent* event)
{
    // Closed by its frame without a database: nothing else could run.
    if (!m_unloading && !DbOpen) {
        event->accept();
        Form_Unload();
        EndProgram();
    }
    Form_Unload();
    event->accept();
}

void frmVorgaben::Form_Unload()
{
    LastDeactivatedForm = QStringLiteral("FRMVORGABEN");
    release();
}
