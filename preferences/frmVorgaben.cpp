#include "preferences/frmVorgaben.h"

#include "core/appointments.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/windows.h"
#include "platform/runtime/color.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/db/error.h"
#include "platform/ui/colorfield.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/helpkey.h"

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
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <iterator>

namespace {

QString text(int number)
{
    return GetResString(number);
}

ui::ColorField* colorField()
{
    auto* field = new ui::ColorField;
    field->setMinimumSize(60, 20);
    return field;
}

QLabel* caption(int number, const QString& after = QString())
{
    return new QLabel(text(number) + after);
}

// The caption before a field; its Alt letter takes the user to the field.
QLabel* caption(int number, QWidget* field, const QString& after = QString())
{
    QLabel* label = caption(number, after);
    label->setBuddy(field);
    return label;
}

QString dateText(const rt::Date& d)
{
    return d.isZero() ? QString() : rt::formatDate(d, DateTimeFormat);
}

}  // namespace

void frmVorgaben::showWindow()
{
    frmVorgaben& window = instance();
    window.show();
    window.raise();
    window.activateWindow();
}

void frmVorgaben::unloadAsking()
{
    if (!isLoaded())
        return;
    frmVorgaben& window = instance();
    if (window.m_databaseMode) {
        // The question stands over the window it asks about.
        ui::bringToFront(&window);
        if (!window.mayDropChanges())
            return;
    }
    unload();
}

frmVorgaben::frmVorgaben() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmVorgaben"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    Form_Load();
}

frmVorgaben::~frmVorgaben() = default;

// ---------------------------------------------------------------- layout

void frmVorgaben::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    SSTab1 = new QTabWidget;
    outer->addWidget(SSTab1);
    SSTab1->addTab(buildGeneralTab(), text(1311));
    SSTab1->addTab(buildStationTab(), text(1017));
    SSTab1->addTab(buildCareTab(), text(1711));
    SSTab1->addTab(buildBookingsTab(), text(293));

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

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    connectHandlers();
    resize(700, 560);
}

QWidget* frmVorgaben::buildGeneralTab()
{
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    int row = 0;
    tbDBName = new QLineEdit;
    btnSearchDB_Path = new QPushButton;
    g->addWidget(caption(1716, tbDBName, QStringLiteral(" :")), row, 0);
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
    for (QPushButton* step : btnFontSizeStep)
        step->setMaximumWidth(32);
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(tbFontSize);
    fontRow->addWidget(btnFontSizeStep[0]);
    fontRow->addWidget(btnFontSizeStep[1]);
    fontRow->addStretch();
    g->addWidget(caption(1721, tbFontSize), row, 0);
    g->addLayout(fontRow, row++, 1, 1, 4);
    tbMaxWeekCols = new QLineEdit;
    tbMaxWeekCols->setMaximumWidth(50);
    g->addWidget(caption(1722, tbMaxWeekCols), row, 0);
    g->addWidget(tbMaxWeekCols, row++, 1);
    lbNormalTerminColor = colorField();
    lbTableFixedRowColBackColor = colorField();
    g->addWidget(caption(1723, lbNormalTerminColor), row, 0);
    g->addWidget(lbNormalTerminColor, row++, 1);
    g->addWidget(caption(1724, lbTableFixedRowColBackColor), row, 0);
    g->addWidget(lbTableFixedRowColBackColor, row++, 1);
    chkTableToolTipsEnabled = new QCheckBox;
    g->addWidget(chkTableToolTipsEnabled, row++, 0, 1, 5);

    auto* printing = new QGroupBox(text(341));
    auto* p = new QGridLayout(printing);
    tbPrinterLeftOffset = new QLineEdit;
    tbPrinterTopOffset = new QLineEdit;
    tbPrinterLeftOffset->setMaximumWidth(70);
    tbPrinterTopOffset->setMaximumWidth(70);
    chkPrintHeader = new QCheckBox;
    btnEditPrintHeader = new QPushButton;
    p->addWidget(caption(1732, tbPrinterLeftOffset), 0, 0);
    p->addWidget(tbPrinterLeftOffset, 0, 1);
    p->addWidget(caption(1733, tbPrinterTopOffset), 0, 2);
    p->addWidget(tbPrinterTopOffset, 0, 3);
    p->addWidget(chkPrintHeader, 1, 0, 1, 3);
    p->addWidget(btnEditPrintHeader, 1, 3);
    g->addWidget(printing, row++, 0, 1, 5);

    tbPassword = new QLineEdit;
    tbPassword->setEchoMode(QLineEdit::Password);
    g->addWidget(caption(1744, tbPassword), row, 0);
    g->addWidget(tbPassword, row++, 1, 1, 2);
    btnEdit_GUI_Terms = new QPushButton;
    btnTextbausteine = new QPushButton;
    cmdMehrwertsteuer = new QPushButton(QStringLiteral("Mehrwertsteuer"));
    g->addWidget(caption(1740, btnEdit_GUI_Terms), row, 0, 1, 4);
    g->addWidget(btnEdit_GUI_Terms, row++, 4);
    g->addWidget(caption(1741, btnTextbausteine), row, 0, 1, 4);
    g->addWidget(btnTextbausteine, row++, 4);
    g->addWidget(cmdMehrwertsteuer, row++, 4);
    g->setRowStretch(row, 1);
    g->setColumnStretch(3, 1);
    return page;
}

QWidget* frmVorgaben::buildStationTab()
{
    auto* page = new QWidget;
    auto* s = new QGridLayout(page);
    int row = 0;
    lbComputerName = new QLabel;
    lbComputerName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s->addWidget(caption(1745), row, 0);
    s->addWidget(lbComputerName, row++, 1, 1, 2);
    chkStation_is_ReadOnly = new QCheckBox;
    chkTerminAutoUpdate = new QCheckBox;
    s->addWidget(chkStation_is_ReadOnly, row++, 0, 1, 3);
    s->addWidget(chkTerminAutoUpdate, row++, 0, 1, 3);
    listStartupForm = new QComboBox;
    listStations = new QComboBox;
    btnStations = new QPushButton;
    s->addWidget(caption(1747, listStartupForm), row, 0);
    s->addWidget(listStartupForm, row++, 1, 1, 2);
    s->addWidget(caption(1748, listStations), row, 0);
    s->addWidget(listStations, row, 1);
    s->addWidget(btnStations, row++, 2);
    chkCreateDesktopLink = new QCheckBox;
    chkCreateAutostartLink = new QCheckBox;
    s->addWidget(chkCreateDesktopLink, row++, 0, 1, 3);
    s->addWidget(chkCreateAutostartLink, row++, 0, 1, 3);

    auto* network = new QGroupBox(text(1749));
    auto* n = new QGridLayout(network);
    lbInstallStatus = new QLabel;
    lbInstallStatus->setWordWrap(true);
    lbInstallStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tbNetworkExePath = new QLineEdit;
    btnSearchNetworkExePath = new QPushButton;
    btnMoveInstallationToNetwork = new QPushButton;
    n->addWidget(lbInstallStatus, 0, 0, 1, 3);
    n->addWidget(caption(1750, tbNetworkExePath, QStringLiteral(" :")), 1, 0);
    n->addWidget(tbNetworkExePath, 1, 1);
    n->addWidget(btnSearchNetworkExePath, 1, 2);
    n->addWidget(btnMoveInstallationToNetwork, 2, 2);
    n->setColumnStretch(1, 1);
    s->addWidget(network, row++, 0, 1, 3);

    chkCheckForOnlineComputer = new QCheckBox;
    lbOnlineComputers = new QLabel;
    lbOnlineComputers->setWordWrap(true);
    chkShutdownAll_includingThisOne = new QCheckBox;
    btnShutdown = new QPushButton;
    s->addWidget(chkCheckForOnlineComputer, row++, 0, 1, 3);
    s->addWidget(lbOnlineComputers, row++, 0, 1, 3);
    s->addWidget(chkShutdownAll_includingThisOne, row, 0, 1, 2);
    s->addWidget(btnShutdown, row++, 2);
    s->setRowStretch(row, 1);
    s->setColumnStretch(1, 1);
    return page;
}

QWidget* frmVorgaben::buildCareTab()
{
    auto* page = new QWidget;
    auto* c = new QVBoxLayout(page);
    Frame1 = new QGroupBox;
    auto* f1 = new QGridLayout(Frame1);
    btnDoBackup = new QPushButton;
    lbBackupPath = new QLabel;
    lbBackupPath->setWordWrap(true);
    lbBackupPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbLastBackupSavedDate = new QLabel;
    lbLastBackupSavedOnStation = new QLabel;
    chkBackupDate2FileName = new QCheckBox;
    f1->addWidget(caption(1717), 0, 0);
    f1->addWidget(lbBackupPath, 0, 1);
    f1->addWidget(btnDoBackup, 0, 2);
    f1->addWidget(caption(1719, QStringLiteral(" :")), 1, 0);
    f1->addWidget(lbLastBackupSavedDate, 1, 1);
    f1->addWidget(lbLastBackupSavedOnStation, 2, 1);
    f1->addWidget(chkBackupDate2FileName, 3, 0, 1, 3);
    auto* reminder = new QHBoxLayout;
    for (QRadioButton*& option : optBackupReminder) {
        option = new QRadioButton;
        reminder->addWidget(option);
    }
    reminder->addStretch();
    f1->addLayout(reminder, 4, 0, 1, 3);
    f1->setColumnStretch(1, 1);
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
    f2->addWidget(caption(1742), 1, 0);
    f2->addWidget(lbLastRepairDate, 1, 1);
    f2->addWidget(btnRepairMDB, 1, 2);
    f2->addWidget(new QLabel(QLatin1Char('(') + text(1743) + QLatin1Char(')')), 2, 0);
    f2->addWidget(lbLastDefragDate, 2, 1);
    f2->addWidget(btnDefragMDB, 2, 2);
    f2->setColumnStretch(1, 1);
    c->addWidget(Frame2);
    c->addStretch();
    return page;
}

QWidget* frmVorgaben::buildBookingsTab()
{
    auto* page = new QWidget;
    auto* b = new QGridLayout(page);
    chkBearbeiterSubscriptionRequired = new QCheckBox;
    chkPatsEnabled = new QCheckBox;
    lbPatCountCaption = new QLabel;
    lbPatCount = new QLabel;
    b->addWidget(chkBearbeiterSubscriptionRequired, 0, 0, 1, 3);
    b->addWidget(chkPatsEnabled, 1, 0, 1, 3);
    b->addWidget(lbPatCountCaption, 2, 0);
    b->addWidget(lbPatCount, 2, 1);

    auto* old = new QGroupBox(text(1752));
    auto* o = new QGridLayout(old);
    tbDeleteOldTerminSecurityDistanceDays = new QLineEdit(QStringLiteral("365"));
    tbDeleteOldTerminSecurityDistanceDays->setMaximumWidth(60);
    lbObsoleteTermineCount = new QLabel;
    btnDeleteOldTermine = new QPushButton;
    cmdDeleteTerminDuplicates = new QPushButton;
    o->addWidget(caption(1753, tbDeleteOldTerminSecurityDistanceDays), 0, 0);
    o->addWidget(tbDeleteOldTerminSecurityDistanceDays, 0, 1);
    o->addWidget(caption(1754), 1, 0);
    o->addWidget(lbObsoleteTermineCount, 1, 1);
    o->addWidget(btnDeleteOldTermine, 2, 0);
    o->addWidget(cmdDeleteTerminDuplicates, 2, 1, 1, 2);
    o->setColumnStretch(2, 1);
    b->addWidget(old, 3, 0, 1, 3);
    b->setRowStretch(4, 1);
    b->setColumnStretch(2, 1);
    return page;
}

void frmVorgaben::connectHandlers()
{
    connect(btnSave, &QPushButton::clicked, this, &frmVorgaben::btnSave_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmVorgaben::btnClose_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmVorgaben::btnHelp_Click);
    ui::BindHelpKey(this, btnHelp);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &frmVorgaben::escapePressed);
    connect(lbNormalTerminColor, &ui::ColorField::keyPressed, this, &frmVorgaben::lbNormalTerminColor_Click);
    connect(lbTableFixedRowColBackColor, &ui::ColorField::keyPressed, this,
            &frmVorgaben::lbTableFixedRowColBackColor_Click);
    connect(btnSearchDB_Path, &QPushButton::clicked, this, &frmVorgaben::btnSearchDB_Path_Click);
    connect(btnFontSizeStep[0], &QPushButton::clicked, this, [this] { btnFontSizeStep_Click(0); });
    connect(btnFontSizeStep[1], &QPushButton::clicked, this, [this] { btnFontSizeStep_Click(1); });
    connect(btnDefragMDB, &QPushButton::clicked, this, &frmVorgaben::btnDefragMDB_Click);
    connect(btnRepairMDB, &QPushButton::clicked, this, &frmVorgaben::btnRepairMDB_Click);
    connect(btnDoBackup, &QPushButton::clicked, this, &frmVorgaben::btnDoBackup_Click);
    connect(btnDeleteOldTermine, &QPushButton::clicked, this, &frmVorgaben::btnDeleteOldTermine_Click);
    connect(cmdDeleteTerminDuplicates, &QPushButton::clicked, this, &frmVorgaben::cmdDeleteTerminDuplicates_Click);
    connect(btnShutdown, &QPushButton::clicked, this, &frmVorgaben::btnShutdown_Click);
    connect(btnSearchNetworkExePath, &QPushButton::clicked, this, &frmVorgaben::btnSearchNetworkExePath_Click);
    connect(btnMoveInstallationToNetwork, &QPushButton::clicked, this, &frmVorgaben::btnMoveInstallationToNetwork_Click);
    connect(chkCreateDesktopLink, &QCheckBox::clicked, this, &frmVorgaben::chkCreateDesktopLink_Click);
    connect(chkCreateAutostartLink, &QCheckBox::clicked, this, &frmVorgaben::chkCreateAutostartLink_Click);
    connect(chkCheckForOnlineComputer, &QCheckBox::clicked, this, &frmVorgaben::chkCheckForOnlineComputer_Click);
    connect(Timer1, &QTimer::timeout, this, &frmVorgaben::Timer1_Timer);
    connect(btnStations, &QPushButton::clicked, this, &frmVorgaben::btnStations_Click);
    connect(btnEdit_GUI_Terms, &QPushButton::clicked, this, &frmVorgaben::btnEdit_GUI_Terms_Click);
    connect(btnTextbausteine, &QPushButton::clicked, this, &frmVorgaben::btnTextbausteine_Click);
    connect(cmdMehrwertsteuer, &QPushButton::clicked, this, &frmVorgaben::cmdMehrwertsteuer_Click);
    connect(tbDeleteOldTerminSecurityDistanceDays, &QLineEdit::editingFinished, this, &frmVorgaben::showObsoleteCount);
    watchEdits();
    for (QObject* watched : {static_cast<QObject*>(tbDBName), static_cast<QObject*>(tbMaxWeekCols),
                             static_cast<QObject*>(lbNormalTerminColor), static_cast<QObject*>(lbTableFixedRowColBackColor)})
        watched->installEventFilter(this);
}

// A field may show its stored value normalised (a font size below 6 as 8, a
// Null as the default): once the user edits it, what was entered is saved,
// also where it is the value shown.
void frmVorgaben::watchEdits()
{
    const auto mark = [this](SettingsField field) { return [this, field] { m_edited.insert(field); }; };
    const std::pair<QLineEdit*, SettingsField> typed[] = {
        {tbPrinterLeftOffset, SettingsField::PrinterLeftOffset}, {tbPrinterTopOffset, SettingsField::PrinterTopOffset},
        {tbFontSize, SettingsField::FontSize}, {tbMaxWeekCols, SettingsField::MaxWeekCols},
        {tbPassword, SettingsField::Password}};
    for (const auto& [edit, field] : typed)
        connect(edit, &QLineEdit::textEdited, this, mark(field));
    const std::pair<QAbstractButton*, SettingsField> clicked[] = {
        {chkStation_is_ReadOnly, SettingsField::StationReadOnly},
        {chkTerminAutoUpdate, SettingsField::TerminAutoUpdate},
        {chkBearbeiterSubscriptionRequired, SettingsField::BearbeiterSubscriptionRequired},
        {optBackupReminder[0], SettingsField::BackupReminder}, {optBackupReminder[1], SettingsField::BackupReminder},
        {optBackupReminder[2], SettingsField::BackupReminder},
        {chkBackupDate2FileName, SettingsField::BackupDate2FileName},
        {optMwSt_included[0], SettingsField::MwStIncluded}, {optMwSt_included[1], SettingsField::MwStIncluded},
        {chkTableToolTipsEnabled, SettingsField::TableToolTipsEnabled},
        {btnFontSizeStep[0], SettingsField::FontSize}, {btnFontSizeStep[1], SettingsField::FontSize},
        {chkCreateAutostartLink, SettingsField::Autostart}};
    for (const auto& [button, field] : clicked)
        connect(button, &QAbstractButton::clicked, this, mark(field));
    connect(listStartupForm, &QComboBox::activated, this, mark(SettingsField::StartPage));
}

// ---------------------------------------------------------------- loading

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
    btnShutdown->setText(GetResString(1830, {{QStringLiteral("%s"), AppTitle}}));
    btnDeleteOldTermine->setText(text(1752));
    cmdDeleteTerminDuplicates->setText(text(1700));
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

    chkPatsEnabled->setText(GetResString(1770, {{QStringLiteral("%s"), TermPersonPlural}}));
    chkTableToolTipsEnabled->setText(GetResString(1771, {{QStringLiteral("%s"), text(1778)}}));
    chkTableToolTipsEnabled->setToolTip(text(1791));
    lbPatCountCaption->setText(GetResString(1734, {{QStringLiteral("%s"), TermPersonPlural}}));

    FillingListsGuard filling;
    {
        const bool network = IsNetworkPath(AppPath);
        QString status = GetResString(1800, {{QStringLiteral("%s"), text(network ? 1801 : 1802)}});
        status += QLatin1Char('\n') + AppPath + AppExeName() + QLatin1Char('\n') + VersionText;
        const QFileInfo info(QCoreApplication::applicationFilePath());
        if (info.exists())
            status += QStringLiteral("   (") + info.lastModified().toString(QStringLiteral("dd.MM.yyyy hh:mm")) + QLatin1Char(')');
        lbInstallStatus->setText(status);
    }

    m_databaseMode = DbOpen;
    if (m_databaseMode)
        loadDatabaseValues();
    else
        tbDBName->setText(DbFileName);
    applyMode();
    giveAltLetters();
    m_shown = readFields();
    m_shownDatabase = tbDBName->text();
    m_settingsFile = ReadOwnSettingsFile();
}

// The captions come from the message table and may be renamed there: each
// page gets its letters anew, none twice among what shows together.
void frmVorgaben::giveAltLetters()
{
    struct Letter {
        QWidget* control;   // a button, or the control a caption stands before
        char wanted;
    };
    const auto captionOf = [](QWidget* field) -> QLabel* {
        for (QLabel* label : field->window()->findChildren<QLabel*>()) {
            if (label->buddy() == field)
                return label;
        }
        return nullptr;
    };
    // A button with a caption before it ("bearbeiten") takes the caption's letter.
    const auto give = [&captionOf](const Letter& letter, QString& taken) {
        if (QLabel* label = captionOf(letter.control))
            label->setText(ui::withAltLetter(label->text(), QLatin1Char(letter.wanted), taken));
        else if (auto* button = qobject_cast<QAbstractButton*>(letter.control))
            button->setText(ui::withAltLetter(button->text(), QLatin1Char(letter.wanted), taken));
    };

    // The tabs and the buttons below show with every page.
    QString shared;
    const char tabLetters[] = {'g', 'p', 'd', 'b'};
    for (int tab = 0; tab < SSTab1->count() && tab < static_cast<int>(std::size(tabLetters)); ++tab)
        SSTab1->setTabText(tab, ui::withAltLetter(SSTab1->tabText(tab), QLatin1Char(tabLetters[tab]), shared));
    for (const Letter& letter : {Letter{btnClose, 'a'}, Letter{btnSave, 's'}, Letter{btnHelp, 'h'}})
        give(letter, shared);

    const std::initializer_list<Letter> pages[] = {
        {{tbDBName, 't'}, {btnSearchDB_Path, 'u'}, {optMwSt_included[1], 'i'}, {optMwSt_included[0], 'z'},
         {tbFontSize, 'c'}, {tbMaxWeekCols, 'n'}, {lbNormalTerminColor, 'f'}, {lbTableFixedRowColBackColor, 'e'},
         {chkTableToolTipsEnabled, 'o'}, {tbPrinterLeftOffset, 'l'}, {tbPrinterTopOffset, 'k'}, {tbPassword, 'w'},
         {btnEdit_GUI_Terms, 'r'}, {btnTextbausteine, 'x'}, {cmdMehrwertsteuer, 'm'}},
        {{chkStation_is_ReadOnly, 'c'}, {chkTerminAutoUpdate, 'k'}, {listStartupForm, 'i'}, {listStations, 'e'},
         {btnStations, 't'}, {chkCreateDesktopLink, 'v'}, {chkCreateAutostartLink, 'o'}, {tbNetworkExePath, 'z'},
         {btnSearchNetworkExePath, 'u'}, {btnMoveInstallationToNetwork, 'r'}, {chkCheckForOnlineComputer, 'm'},
         {chkShutdownAll_includingThisOne, 'n'}, {btnShutdown, 'l'}},
        {{btnDoBackup, 'j'}, {chkBackupDate2FileName, 'z'}, {optBackupReminder[0], 'n'}, {optBackupReminder[1], 't'},
         {optBackupReminder[2], 'w'}, {btnRepairMDB, 'r'}, {btnDefragMDB, 'f'}},
        {{chkBearbeiterSubscriptionRequired, 'm'}, {tbDeleteOldTerminSecurityDistanceDays, 't'},
         {btnDeleteOldTermine, 'l'}, {cmdDeleteTerminDuplicates, 'u'}},
    };
    for (const auto& page : pages) {
        QString taken = shared;
        for (const Letter& letter : page)
            give(letter, taken);
    }
}

void frmVorgaben::loadDatabaseValues()
{
    tbDBName->setText(DbPath);
    lbBackupPath->setText(BackupPath);
    lbComputerName->setText(ComputerName);
    listStartupForm->clear();
    for (const StartWindow& w : StartWindows())
        listStartupForm->addItem(w.caption, w.number);

    SettingsView view;
    view.fields = SettingsFromGlobals();
    RunHandler(QStringLiteral("Form_Load"), [&view] { LoadSettingsFromDatabase(view); });
    lbBackupPath->setText(BackupPath);
    m_loaded = view.fields;
    m_stored = view.stored;

    listStations->clear();
    for (const StationRow& row : m_stored.stations)
        listStations->addItem(StationCaption(row), row.id);
    showFields(m_loaded);
    showMaintenanceLog(view.log);
    lbPatCount->setText(view.customerCount >= 0 ? QString::number(view.customerCount) : QString());
    showObsoleteCount();
}

void frmVorgaben::showFields(const SettingsFields& f)
{
    FillingListsGuard filling;
    tbPrinterLeftOffset->setText(f.printerLeftOffset);
    tbPrinterTopOffset->setText(f.printerTopOffset);
    tbFontSize->setText(f.fontSize);
    tbMaxWeekCols->setText(f.maxWeekCols);
    SetBackColor(lbNormalTerminColor, f.normalTerminColor);
    SetBackColor(lbTableFixedRowColBackColor, f.tableFixedRowColBackColor);
    for (int i = 0; i < 3; ++i)
        optBackupReminder[static_cast<size_t>(i)]->setChecked(f.backupReminder == i);
    chkTableToolTipsEnabled->setChecked(f.tableToolTipsEnabled);
    chkBearbeiterSubscriptionRequired->setChecked(f.bearbeiterSubscriptionRequired);
    chkTerminAutoUpdate->setChecked(f.terminAutoUpdate);
    chkStation_is_ReadOnly->setChecked(f.stationReadOnly);
    chkCreateAutostartLink->setChecked(f.autostart);
    chkPrintHeader->setChecked(f.printHeader);
    chkPatsEnabled->setChecked(true);
    chkBackupDate2FileName->setChecked(f.backupDate2FileName);
    optMwSt_included[f.mwstIncluded ? 1 : 0]->setChecked(true);
    tbPassword->setText(f.password);
    listStartupForm->setCurrentIndex(listStartupForm->findData(f.startPage));
    listStations->setCurrentIndex(listStations->findData(f.stationId));
}

SettingsFields frmVorgaben::readFields() const
{
    SettingsFields f = m_loaded;
    f.printerLeftOffset = tbPrinterLeftOffset->text();
    f.printerTopOffset = tbPrinterTopOffset->text();
    f.fontSize = tbFontSize->text();
    f.maxWeekCols = tbMaxWeekCols->text();
    f.normalTerminColor = BackColor(lbNormalTerminColor);
    f.tableFixedRowColBackColor = BackColor(lbTableFixedRowColBackColor);
    f.backupReminder = -1;
    for (int i = 0; i < 3; ++i) {
        if (optBackupReminder[static_cast<size_t>(i)]->isChecked())
            f.backupReminder = i;
    }
    f.tableToolTipsEnabled = chkTableToolTipsEnabled->isChecked();
    f.bearbeiterSubscriptionRequired = chkBearbeiterSubscriptionRequired->isChecked();
    f.terminAutoUpdate = chkTerminAutoUpdate->isChecked();
    f.stationReadOnly = chkStation_is_ReadOnly->isChecked();
    f.autostart = chkCreateAutostartLink->isChecked();
    f.backupDate2FileName = chkBackupDate2FileName->isChecked();
    f.mwstIncluded = optMwSt_included[1]->isChecked();
    f.password = tbPassword->text();
    f.startPage = listStartupForm->currentIndex() >= 0 ? listStartupForm->currentData().toInt() : -1;
    f.stationId = listStations->currentIndex() >= 0 ? listStations->currentData().toInt() : 0;
    f.stationName = listStations->currentText();
    return f;
}

void frmVorgaben::showMaintenanceLog(const MaintenanceLog& log)
{
    lbLastBackupSavedDate->setText(dateText(log.lastBackupSavedDate));
    lbLastDefragDate->setText(dateText(log.lastDefragDate));
    lbLastRepairDate->setText(dateText(log.lastRepairDate));
    lbLastBackupSavedOnStation->setText(log.lastBackupSavedOnStation);
}

void frmVorgaben::showObsoleteCount()
{
    if (!m_databaseMode || !DbOpen)
        return;
    try {
        const std::optional<qint32> count =
            CountOldAppointments(static_cast<int>(rt::val(tbDeleteOldTerminSecurityDistanceDays->text())));
        lbObsoleteTermineCount->setText(count ? QString::number(*count) : QString());
    } catch (const db::DbError&) {
        lbObsoleteTermineCount->clear();
    }
}

// Without the database only the file can be chosen, repaired or compacted.
void frmVorgaben::applyMode()
{
    const QList<QWidget*> always{tbDBName, btnSearchDB_Path, btnRepairMDB, btnDefragMDB, btnHelp, btnClose, btnSave};
    // Shown for what they hold; they do nothing of their own.
    const QList<QWidget*> never{btnEditPrintHeader, chkPrintHeader, chkPatsEnabled};
    for (int page = 0; page < SSTab1->count(); ++page) {
        for (QWidget* w : SSTab1->widget(page)->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w))
                w->setEnabled(!never.contains(w) && (m_databaseMode || always.contains(w)));
        }
    }
    btnShutdown->setVisible(m_databaseMode);
    chkShutdownAll_includingThisOne->setVisible(m_databaseMode);
    chkCheckForOnlineComputer->setVisible(m_databaseMode);
    lbOnlineComputers->setVisible(m_databaseMode);
    btnMoveInstallationToNetwork->setVisible(m_databaseMode && !tbNetworkExePath->text().isEmpty());
}

// ---------------------------------------------------------------- saving

void frmVorgaben::btnSave_Click()
{
    RunHandler(QStringLiteral("btnSave_Click"), [this] {
        tbMaxWeekCols_LostFocus();
        const SettingsFields shown = readFields();
        if (m_databaseMode) {
            const SettingsProblem problem = CheckSettings(shown);
            if (!problem.text.isEmpty()) {
                ui::msgBox(problem.text, ui::Exclamation, AppTitle);
                QLineEdit* field = problem.field == SettingsProblem::Field::Password           ? tbPassword
                                   : problem.field == SettingsProblem::Field::PrinterTopOffset ? tbPrinterTopOffset
                                   : problem.field == SettingsProblem::Field::FontSize         ? tbFontSize
                                   : problem.field == SettingsProblem::Field::MaxWeekCols      ? tbMaxWeekCols
                                                                                               : tbPrinterLeftOffset;
                SSTab1->setCurrentWidget(SSTab1->widget(0));
                field->setFocus();
                return;
            }
            if (RefuseReadOnlySave(shown, m_loaded))
                return;
            if (Windows().unloadAddressBook) {
                const bool previous = Closing;
                Closing = true;
                Windows().unloadAddressBook();
                Closing = previous;
            }
        }

        // The mode the window was opened in decides, also when maintenance
        // opened the database meanwhile.
        if (m_databaseMode) {
            const SaveOutcome outcome = SaveSettings(shown, m_loaded, m_stored, m_edited);
            // Abbrechen on the question: back to the settings as typed.
            if (outcome == SaveOutcome::Refused || outcome == SaveOutcome::Cancelled)
                return;
            // The row deleted meanwhile can no longer be chosen; the rest stays as typed.
            if (outcome == SaveOutcome::HandOverGone) {
                listStations->removeItem(listStations->currentIndex());
                listStations->setCurrentIndex(listStations->findData(StationId));
                return;
            }
            if (outcome == SaveOutcome::StationGone) {
                ui::msgBox(QStringLiteral("Der Arbeitsplatz-Eintrag wurde inzwischen an einem anderen Arbeitsplatz "
                                          "gelöscht; die Einstellungen dieses Arbeitsplatzes wurden nicht gespeichert."),
                           ui::Exclamation, AppTitle);
            }
            SaveDatabaseSettingForNextStart(tbDBName->text(), m_shownDatabase, m_settingsFile);
            InitGlobalTexts();
            FillResourceArrays();
            ShowMainForm();
        } else {
            SaveDatabaseSettingForRestart(tbDBName->text(), m_shownDatabase, m_settingsFile);
        }
        const bool restart = !m_databaseMode;
        m_unloading = true;
        close();
        // The window is gone before start-up runs again with the new file.
        if (restart)
            RestartProgram();
    });
}

void frmVorgaben::btnClose_Click()
{
    if (!m_databaseMode) {
        Form_Unload();
        EndProgram();
    }
    m_unloading = true;
    close();
}

bool frmVorgaben::changedSinceLoad() const
{
    const SettingsFields shown = readFields();
    return shown != m_shown || tbDBName->text() != m_shownDatabase
           || (m_databaseMode && ChangedSettings(shown, m_loaded, m_stored, m_edited).any());
}

bool frmVorgaben::mayDropChanges()
{
    if (!changedSinceLoad())
        return true;
    return ui::msgBox(QStringLiteral("Sie haben Einstellungen geändert.\n\nWollen Sie das Fenster schließen, ohne die "
                                     "Änderungen zu speichern?"),
                      ui::YesNo | ui::Question | ui::DefaultButton2, text(1710))
           == ui::Answer::Yes;
}

void frmVorgaben::escapePressed()
{
    // Abbrechen would end the program here.
    if (!m_databaseMode)
        return;
    if (mayDropChanges())
        btnClose_Click();
}

void frmVorgaben::closeEvent(QCloseEvent* event)
{
    // Closed by its frame or Alt+F4: a change is asked about as on Escape.
    if (!m_unloading && !Closing && m_databaseMode && !mayDropChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload();
    // Closed by its frame without a database: nothing else could run.
    if (!m_unloading && !m_databaseMode)
        EndProgram();
}

void frmVorgaben::Form_Unload()
{
    Timer1->stop();
    LastDeactivatedForm = QStringLiteral("FRMVORGABEN");
    release();
}

// ---------------------------------------------------------------- small handlers

void frmVorgaben::btnHelp_Click()
{
    // The program has no tab for an outside connection, nor a topic for one.
    static const char* const topics[] = {"frmVorgaben.htm", "frmVorgaben.htm#arbeitsplatz", "frmVorgaben.htm#datenpflege",
                                         "frmVorgaben.htm#termine", "frmVorgaben.htm#onlinetermine"};
    const int tab = SSTab1->currentIndex();
    if (tab >= 0 && tab < static_cast<int>(std::size(topics)))
        ShowHelpTopic(QString::fromLatin1(topics[tab]));
}

void frmVorgaben::btnFontSizeStep_Click(int index)
{
    tbFontSize->setText(StepFontSize(tbFontSize->text(), index));
}

void frmVorgaben::tbMaxWeekCols_LostFocus()
{
    tbMaxWeekCols->setText(LimitDayCount(tbMaxWeekCols->text()));
}

std::optional<qint32> frmVorgaben::SelectColor(qint32 initial, const QString& title)
{
    const std::optional<QColor> chosen = ui::DialogService::instance().color(rt::toQColor(initial), title);
    // Black counts as no choice, as cancelling does.
    if (!chosen || rt::fromQColor(*chosen) <= 0)
        return std::nullopt;
    return rt::fromQColor(*chosen);
}

// The dialog opens on the colour shown, which counts as chosen again: the
// field may show a stored value it cannot hold.
void frmVorgaben::lbNormalTerminColor_Click()
{
    if (const std::optional<qint32> chosen = SelectColor(BackColor(lbNormalTerminColor), text(1723))) {
        SetBackColor(lbNormalTerminColor, *chosen);
        m_edited.insert(SettingsField::NormalTerminColor);
    }
}

void frmVorgaben::lbTableFixedRowColBackColor_Click()
{
    if (const std::optional<qint32> chosen = SelectColor(BackColor(lbTableFixedRowColBackColor), text(1724))) {
        SetBackColor(lbTableFixedRowColBackColor, *chosen);
        m_edited.insert(SettingsField::TableFixedRowColBackColor);
    }
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
    } else if (event->type() == QEvent::MouseButtonRelease && static_cast<QWidget*>(watched)->isEnabled()) {
        if (watched == lbNormalTerminColor)
            lbNormalTerminColor_Click();
        else if (watched == lbTableFixedRowColBackColor)
            lbTableFixedRowColBackColor_Click();
    }
    return QWidget::eventFilter(watched, event);
}
