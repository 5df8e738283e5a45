#include "plan/frmMandanten.h"

#include "core/buildinggrid.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/mandanten.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/windows.h"
#include "plan/frmStockwerke.h"
#include "plan/picturechoice.h"
#include "platform/ui/busy.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int PictureBoxWidth = 360;
constexpr int PictureBoxHeight = 270;
}  // namespace

void frmMandanten::showWindow()
{
    const bool loading = !isLoaded();
    frmMandanten& w = instance();
    if (loading)
        w.Form_Load();
    ShowForm(&w);
    w.raise();
    w.activateWindow();
}

frmMandanten::frmMandanten()
{
    setObjectName(QStringLiteral("frmMandanten"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Mandant wählen :"));
    listMandanten = new QComboBox;
    listMandanten->setMinimumWidth(260);
    Label1->setBuddy(listMandanten);
    lbEinrichtungsnummer = new QLabel;
    lbEinrichtungsnummer->setToolTip(QStringLiteral("Nummer des Mandanten"));

    BuildingGrid = new QTableWidget;
    BuildingGrid->setToolTip(QStringLiteral("Klicken zum Anzeigen der Details"));
    BuildingGrid->viewport()->setMouseTracking(true);
    BuildingGrid->viewport()->installEventFilter(this);
    InitBuildingGridHeader(BuildingGrid);
    lbEinrichtungBelegtProzent = new QLabel;
    lbHint = new QLabel(QStringLiteral("Klicken Sie auf die Gebäude/Etagen-Auswahl, um Details zu sehen"));
    lbHint->setWordWrap(true);

    auto* pictureBox = new QWidget;
    pictureBox->setFixedSize(PictureBoxWidth, PictureBoxHeight);
    imgEinrichtung = new QLabel;
    imgEinrichtung->setAlignment(Qt::AlignCenter);
    imgEinrichtung->setToolTip(QStringLiteral("Klicken zum Anzeigen der Details"));
    imgEinrichtung->setCursor(Qt::PointingHandCursor);
    imgEinrichtung->installEventFilter(this);
    auto* pictureLayout = new QVBoxLayout(pictureBox);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    pictureLayout->addWidget(imgEinrichtung, 0, Qt::AlignCenter);
    lbIMG_Msg = new QLabel;
    lbIMG_Msg->setWordWrap(true);
    lbIMG_Msg->setMaximumWidth(PictureBoxWidth);
    cmdLoadPicture = new QPushButton(QStringLiteral("Bild laden"));

    cmdShowBelegungsplan = new QPushButton(QStringLiteral("Belegungsplan anzeigen"));
    btnPatient = new QPushButton(QStringLiteral("Gast-Details anzeigen"));
    btnRefresh = new QPushButton(QStringLiteral("Ansicht aktualisieren"));

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(Label1);
    chooser->addWidget(listMandanten);
    chooser->addSpacing(12);
    chooser->addWidget(new QLabel(QStringLiteral("Nr.")));
    chooser->addWidget(lbEinrichtungsnummer);
    chooser->addStretch();

    auto* grid = new QVBoxLayout;
    grid->addWidget(BuildingGrid, 1);
    grid->addWidget(lbEinrichtungBelegtProzent);
    grid->addWidget(lbHint);

    auto* picture = new QVBoxLayout;
    picture->addWidget(pictureBox);
    picture->addWidget(lbIMG_Msg);
    picture->addWidget(cmdLoadPicture, 0, Qt::AlignLeft);
    picture->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addLayout(grid, 1);
    middle->addLayout(picture);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdShowBelegungsplan);
    buttons->addWidget(btnPatient);
    buttons->addStretch();
    buttons->addWidget(btnRefresh);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(chooser);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    buildMenus();

    connect(listMandanten, &QComboBox::currentIndexChanged, this, &frmMandanten::listMandanten_Click);
    connect(BuildingGrid, &QTableWidget::cellClicked, this, &frmMandanten::BuildingGrid_Click);
    ui::onCellKeys(BuildingGrid, [this](const QModelIndex& index) { BuildingGrid_Click(index.row(), index.column()); });
    connect(BuildingGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { BuildingGrid_Click(-1, column); });
    connect(cmdShowBelegungsplan, &QPushButton::clicked, this, &frmMandanten::cmdShowBelegungsplan_Click);
    connect(cmdLoadPicture, &QPushButton::clicked, this, &frmMandanten::cmdLoadPicture_Click);
    connect(btnPatient, &QPushButton::clicked, this, &frmMandanten::btnPatient_Click);
    connect(btnRefresh, &QPushButton::clicked, this, &frmMandanten::btnRefresh_Click);
    resize(900, 480);
}

void frmMandanten::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    menuPreferences = file->addAction(QStringLiteral("&Programm-Einstellungen"), this, &frmMandanten::menuPreferences_Click);
    menuExportStatistik = file->addAction(QStringLiteral("&Statistik ausgeben"));
    // There is no statistics output: shown, never pretending to work.
    menuExportStatistik->setEnabled(false);
    file->addSeparator();
    menuQuit = file->addAction(QStringLiteral("Be&enden"), this, &frmMandanten::menuQuit_Click);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    menuRefresh = view->addAction(QStringLiteral("&aktualisieren"), this, &frmMandanten::btnRefresh_Click);
    menuRefresh->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Fenster"));
    menuCustomers = windows->addAction(QStringLiteral("&Gäste"), this, &frmMandanten::menuCustomers_Click);
    menuBookings = windows->addAction(QStringLiteral("&Buchungen"), this, &frmMandanten::menuBookings_Click);
    menuInvoices = windows->addAction(QStringLiteral("&Rechnungen"), this, &frmMandanten::menuInvoices_Click);
    menuServices = windows->addAction(QStringLiteral("&Hotelleistungen"), this, &frmMandanten::menuServices_Click);
    menuMandanten = windows->addAction(QStringLiteral("&Mandanten-Definitionen"), this, &frmMandanten::menuMandanten_Click);

    menuHelp = menuBar()->addAction(QStringLiteral("&?"), this, &frmMandanten::menuHelp_Click);
    menuHelp->setShortcut(QKeySequence::HelpContents);
}

void frmMandanten::Form_Load()
{
    setWindowTitle(AppTitle + QLatin1Char(' ') + VersionText);
    MandantPictureMaxWidth = PictureBoxWidth;
    MandantPictureMaxHeight = PictureBoxHeight;
    fillMandanten();
}

void frmMandanten::fillMandanten()
{
    RunHandler(QStringLiteral("FillListMandanten"), [this] {
        {
            const QSignalBlocker quiet(listMandanten);
            FillListMandanten(listMandanten, MandantId);
        }
        // Shown again also when the selection stayed the same.
        listMandanten_Click();
    });
}

void frmMandanten::listMandanten_Click()
{
    if (FillingLists)
        return;
    const int index = listMandanten->currentIndex();
    if (index < 0)
        return;
    ShowMandant(listMandanten->itemData(index).toInt());
}

void frmMandanten::ShowMandant(qint32 mandantId)
{
    RunHandler(QStringLiteral("ShowMandant"), [this, mandantId] {
        const bool changed = mandantId != MandantId;
        MandantId = mandantId;
        lbEinrichtungsnummer->setText(QString::number(mandantId));
        MandantName = listMandanten->currentText().trimmed();
        const rt::Date noon = rt::Date::today().atNoon();
        FillListBuildings(BuildingGrid, mandantId, noon, noon, lbEinrichtungBelegtProzent);
        {
            ui::WaitCursor wait;
            m_imageFile = GetMandantImageFile(mandantId);
        }
        ShowImageFile(m_imageFile, imgEinrichtung, lbIMG_Msg, MandantPictureMaxWidth, MandantPictureMaxHeight, true,
                      ImageDir);
        LoadRoomTypes(mandantId);
        if (changed && Windows().initMainWindow) {
            // The plan takes the facility over and forgets the old one's floor
            // and place; this window stays in front.
            Windows().initMainWindow();
            raise();
            activateWindow();
        }
    });
}

void frmMandanten::showPlan(qint32 floorId, qint32 buildingId)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.ShowStockwerkDetails(floorId, buildingId);
    ShowForm(&plan);
    plan.raise();
    plan.activateWindow();
}

void frmMandanten::BuildingGrid_Click(int row, int column)
{
    RunHandler(QStringLiteral("BuildingGrid_Click"), [this, row, column] {
        SelectBuildingGridCell(BuildingGrid, row, column,
                               [this](const QString&, qint32 floorId, qint32 buildingId) { showPlan(floorId, buildingId); });
    });
}

void frmMandanten::BuildingGrid_MouseMove(QPoint pos)
{
    const QTableWidgetItem* item = BuildingGrid->itemAt(pos);
    const bool target = item && !item->text().isEmpty();
    BuildingGrid->viewport()->setCursor(target ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void frmMandanten::cmdShowBelegungsplan_Click()
{
    RunHandler(QStringLiteral("cmdShowBelegungsplan_Click"), [this] {
        qint32 buildingId = -1;
        if (BuildingGrid->rowCount() > 0) {
            const int row = std::max(BuildingGrid->currentRow(), 0);
            if (const QTableWidgetItem* cell = BuildingGrid->item(row, 0))
                buildingId = cell->data(Qt::UserRole).toInt();
        }
        showPlan(-1, buildingId);
    });
}

void frmMandanten::cmdLoadPicture_Click()
{
    RunHandler(QStringLiteral("cmdLoadPicture_Click"), [this] {
        const std::optional<QString> name = ChooseMandantPicture(MandantId, m_imageFile, ImageDir);
        if (!name)
            return;
        m_imageFile = *name;
        ShowImageFile(m_imageFile, imgEinrichtung, lbIMG_Msg, MandantPictureMaxWidth, MandantPictureMaxHeight, true,
                      ImageDir);
    });
}

void frmMandanten::btnPatient_Click()
{
    ShowAdresse(-1, nullptr);
}

void frmMandanten::btnRefresh_Click()
{
    fillMandanten();
}

void frmMandanten::menuPreferences_Click()
{
    RunHandler(QStringLiteral("menuPreferences_Click"), [] {
        if (!CheckAdminPassword(true))
            return;
        if (Windows().showSettings)
            Windows().showSettings();
    });
}

void frmMandanten::menuQuit_Click()
{
    QuitProgram();
}

void frmMandanten::menuCustomers_Click()
{
    ShowAdresse(-1, nullptr);
}

void frmMandanten::menuBookings_Click()
{
    ShowBookings(QString(), -1, -1, false, 0);
}

void frmMandanten::menuInvoices_Click()
{
    ShowRechnung(-1, -1, -1);
}

void frmMandanten::menuServices_Click()
{
    ShowArtikel(-1);
}

void frmMandanten::menuMandanten_Click()
{
    ShowRessources(QStringLiteral("tbl_mandanten"), QStringLiteral("Mandanten-Definitionen"));
}

void frmMandanten::menuHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}

void frmMandanten::keyPressEvent(QKeyEvent* event)
{
    // Alt+F2 alone: the settings, through the same password as the menu.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::AltModifier) {
        menuPreferences_Click();
        return;
    }
    if (event->key() == Qt::Key_F5) {
        btnRefresh_Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool frmMandanten::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == BuildingGrid->viewport() && event->type() == QEvent::MouseMove)
        BuildingGrid_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (watched == imgEinrichtung && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        cmdShowBelegungsplan_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMandanten::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (ui::msgBox(QStringLiteral("Möchten Sie ") + AppTitle + QStringLiteral(" beenden?"), ui::OkCancel | ui::Question,
                   AppTitle + QStringLiteral(" beenden"))
        == ui::Answer::Ok)
        QuitProgram();
}

void frmMandanten::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        LastDeactivatedForm = QStringLiteral("FRMMANDANTEN");
    QMainWindow::changeEvent(event);
}
