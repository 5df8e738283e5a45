#include "plan/frmStockwerke.h"

#include "core/buildinggrid.h"
#include "core/files.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/runtime/twips.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mnemonic.h"
#include "schedule/usercontrol1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The floor picture's box as designed: 720 x 480 pixels.
constexpr int FloorBoxWidthTwips = 10800;
constexpr int FloorBoxHeightTwips = 7200;
constexpr int RightBarWidth = 400;

QToolButton* stepButton(const QString& caption, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setToolTip(tip);
    button->setAutoRaise(false);
    return button;
}

}  // namespace

frmStockwerke::frmStockwerke()
{
    setObjectName(QStringLiteral("frmStockwerke"));
    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 0);

    auto* top = new QHBoxLayout;
    lbEinrichtungsname = new QLabel(central);
    lbEinrichtungsname->setObjectName(QStringLiteral("lbEinrichtungsname"));
    lbEinrichtungsname->setTextFormat(Qt::PlainText);
    QFont big = lbEinrichtungsname->font();
    big.setPointSize(big.pointSize() + 5);
    big.setBold(true);
    lbEinrichtungsname->setFont(big);
    btnRefresh = new QPushButton(QStringLiteral("aktualisieren"), central);
    btnRefresh->setToolTip(QStringLiteral("Anzeige aus der Datenbank neu aufbauen [F5]"));
    btnHelp = new QPushButton(QStringLiteral("&Hilfe"), central);
    top->addWidget(lbEinrichtungsname);
    top->addStretch(1);
    top->addWidget(btnRefresh);
    top->addWidget(btnHelp);
    layout->addLayout(top);

    auto* main = new QHBoxLayout;
    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildFloorPlanTab(), QStringLiteral("Etagenplan"));
    SSTab1->addTab(buildScheduleTab(), QStringLiteral("Belegungsplan"));
    SSTab1->addTab(buildTreeTab(), QStringLiteral("Ressourcendefinition"));
    main->addWidget(SSTab1, 1);
    main->addWidget(buildRightBar());
    layout->addLayout(main, 1);
    setCentralWidget(central);

    StatusBar1 = new QLabel(this);
    statusBar()->addWidget(StatusBar1, 1);

    connect(btnRefresh, &QPushButton::clicked, this, [this] { btnRefresh_Click(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelp_Click(); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this] {
        if (m_loaded)
            RunHandler(QStringLiteral("SSTab1_Click"), [this] { SSTab1_Click(-1); });
    });

    buildStructureEditors();
    buildMenuEntries();
    orderTabStops();
    resize(1180, 800);
    Form_Load();
}

void frmStockwerke::buildMenus()
{
    menuFile = menuBar()->addMenu(QStringLiteral("&Datei"));
    menuEdit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    menuAnsicht = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    menuWindow = menuBar()->addMenu(QStringLiteral("&Fenster"));
    menuContext = new QMenu(QStringLiteral("ContextMenu"), this);

    menuPreferences = menuFile->addAction(QStringLiteral("Programm-&Einstellungen ..."), this, &frmStockwerke::menuSettings_Click);
    menuFile->addSeparator();
    menuFile->addAction(QStringLiteral("&Beenden"), this, [this] { close(); });

    menuRefresh = menuAnsicht->addAction(QStringLiteral("&aktualisieren"), this, [this] { ActualizeControls(); });
    menuRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    menuRefresh->setShortcutContext(Qt::WindowShortcut);
    menuShowCategoryColors = menuAnsicht->addAction(QStringLiteral("&Kategorien färben"));
    menuShowCategoryColors->setCheckable(true);
    connect(menuShowCategoryColors, &QAction::triggered, this, [this] { ActualizeControls(); });

    // The edit mode of the floor plan; switched by the structure's editors.
    menuEditMode = new QAction(QStringLiteral("&Etagenplan einrichten"), this);
    menuEditMode->setCheckable(true);
}

QWidget* frmStockwerke::buildFloorPlanTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* head = new QHBoxLayout;
    lbStockwerkName = new QLabel(page);
    // Building and floor names as typed, never as markup; so the category
    // named in the count and the picture's file name.
    lbStockwerkName->setTextFormat(Qt::PlainText);
    QFont bold = lbStockwerkName->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    lbStockwerkName->setFont(bold);
    cmdFloorStep = {stepButton(QStringLiteral("▼"), QStringLiteral("-1 Etage"), page),
                    stepButton(QStringLiteral("▲"), QStringLiteral("+1 Etage"), page)};
    // A very long name is cut rather than widen the window.
    lbStockwerkName->setMinimumWidth(120);
    listRoomCategoryFilter = new QComboBox(page);
    listRoomCategoryFilter->setToolTip(QStringLiteral("nur Räume dieser Kategorie zeigen"));
    listRoomCategoryFilter->setMinimumContentsLength(14);
    listRoomCategoryFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lbBettenCount = new QLabel(page);
    lbBettenCount->setTextFormat(Qt::PlainText);
    lbBettenCount->setWordWrap(true);
    lbBettenCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The steppers stand first, where a name of any length leaves them.
    head->addWidget(cmdFloorStep[0], 0, Qt::AlignTop);
    head->addWidget(cmdFloorStep[1], 0, Qt::AlignTop);
    head->addSpacing(6);
    head->addWidget(lbStockwerkName, 0, Qt::AlignTop);
    head->addSpacing(12);
    head->addWidget(listRoomCategoryFilter, 0, Qt::AlignTop);
    head->addSpacing(12);
    head->addWidget(lbBettenCount, 1, Qt::AlignTop);
    layout->addLayout(head);

    floorPlanBox = new QWidget;
    floorPlanBox->setFixedSize(FloorBoxWidthTwips / rt::TwipsPerPixel, FloorBoxHeightTwips / rt::TwipsPerPixel);
    imgStockwerk = new QLabel(floorPlanBox);
    imgStockwerk->setObjectName(QStringLiteral("imgStockwerk"));
    imgStockwerk->move(0, 0);
    imgStockwerk->installEventFilter(this);
    // The pattern marker, never shown.
    lbPlatz.push_back(new QLabel(floorPlanBox));
    lbPlatz[0]->hide();
    FocusDummy = new QWidget(floorPlanBox);
    FocusDummy->setFixedSize(0, 0);
    // Taken by code only: Tab never stops on what nobody sees.
    FocusDummy->setFocusPolicy(Qt::ClickFocus);
    auto* scroll = new QScrollArea(page);
    scroll->setWidget(floorPlanBox);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(scroll, 1);

    auto* foot = new QHBoxLayout;
    lbImageName = new QLabel(page);
    lbImageName->setTextFormat(Qt::PlainText);
    lbImageName->setWordWrap(true);
    lbFloorPlanHint = new QLabel(page);
    cmdLoadPicture = new QPushButton(QStringLiteral("Bild laden"), page);
    foot->addWidget(lbImageName, 1);
    foot->addWidget(lbFloorPlanHint);
    foot->addWidget(cmdLoadPicture);
    layout->addLayout(foot);

    connect(listRoomCategoryFilter, &QComboBox::activated, this, [this] {
        RunHandler(QStringLiteral("listRoomCategoryFilter_Click"), [this] { listRoomCategoryFilter_Click(); });
    });
    for (int i = 0; i < 2; ++i) {
        connect(cmdFloorStep[i], &QToolButton::clicked, this, [this, i] {
            RunHandler(QStringLiteral("cmdFloorStep_MouseUp"), [this, i] { cmdFloorStep_MouseUp(i); });
        });
    }
    return page;
}

QWidget* frmStockwerke::buildScheduleTab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* head = new QHBoxLayout;
    lbBelegungsverlaufStockwerkName = new QLabel(page);
    lbBelegungsverlaufStockwerkName->setTextFormat(Qt::PlainText);
    btnDateCount = {stepButton(QStringLiteral("‹ Tag"), QStringLiteral("1 Tag vorher [-]"), page),
                    stepButton(QStringLiteral("Tag ›"), QStringLiteral("1 Tag später [+]"), page)};
    btnDateAddWeek = {stepButton(QStringLiteral("« Woche"), QStringLiteral("1 Woche vorher [Shift][-]"), page),
                      stepButton(QStringLiteral("Woche »"), QStringLiteral("1 Woche später [Shift][+]"), page)};
    btnDateAddMonth = {stepButton(QStringLiteral("« Monat"), QStringLiteral("1 Monat vorher [Strg][-]"), page),
                       stepButton(QStringLiteral("Monat »"), QStringLiteral("1 Monat später [Strg][+]"), page)};
    btnDateAddQuartal = {stepButton(QStringLiteral("« Quartal"), QStringLiteral("1 Quartal vorher [Alt][-]"), page),
                         stepButton(QStringLiteral("Quartal »"), QStringLiteral("1 Quartal später [Alt][+]"), page)};
    btnheute = new QPushButton(QStringLiteral("heute"), page);
    btnheute->setToolTip(QStringLiteral("heutiges Datum anzeigen [Strg][H]"));
    // The caption has a line of its own: beside the step buttons it would
    // widen the window.
    lbBelegungsverlaufStockwerkName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(lbBelegungsverlaufStockwerkName);
    head->addStretch(1);
    head->addWidget(btnDateAddQuartal[0]);
    head->addWidget(btnDateAddMonth[0]);
    head->addWidget(btnDateAddWeek[0]);
    head->addWidget(btnDateCount[0]);
    head->addWidget(btnheute);
    head->addWidget(btnDateCount[1]);
    head->addWidget(btnDateAddWeek[1]);
    head->addWidget(btnDateAddMonth[1]);
    head->addWidget(btnDateAddQuartal[1]);
    layout->addLayout(head);
    mySchedule = new UserControl1(page);
    mySchedule->setObjectName(QStringLiteral("mySchedule"));
    layout->addWidget(mySchedule, 1);

    const std::array<std::array<QToolButton*, 2>*, 4> rows{&btnDateCount, &btnDateAddWeek, &btnDateAddMonth,
                                                          &btnDateAddQuartal};
    // The keys the buttons' tooltips name, while the schedule is shown.
    const std::array<Qt::KeyboardModifiers, 4> modifiers{Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                                         Qt::AltModifier};
    for (int step = 0; step < 4; ++step) {
        for (int i = 0; i < 2; ++i) {
            connect((*rows[step])[i], &QToolButton::clicked, this, [this, step, i] { stepPlanStart(step, i); });
            const Qt::Key key = i == 0 ? Qt::Key_Minus : Qt::Key_Plus;
            auto* shortcut = new QShortcut(QKeySequence(modifiers[step] | key), page);
            shortcut->setContext(Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, step, i] { stepPlanStart(step, i); });
        }
    }
    connect(btnheute, &QPushButton::clicked, this, [this] { btnheute_Click(); });
    auto* today = new QShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_H), page);
    today->setContext(Qt::WidgetWithChildrenShortcut);
    connect(today, &QShortcut::activated, this, [this] { btnheute_Click(); });
    return page;
}

QWidget* frmStockwerke::buildTreeTab()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    TV1 = new QTreeWidget(page);
    TV1->setObjectName(QStringLiteral("TV1"));
    TV1->setHeaderHidden(true);
    TV1->setMinimumWidth(260);
    treeDetails = new QWidget(page);
    auto* details = new QVBoxLayout(treeDetails);
    details->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TV1, 2);
    layout->addWidget(treeDetails, 3);
    return page;
}

QWidget* frmStockwerke::buildRightBar()
{
    frameRightBar = new QWidget;
    frameRightBar->setFixedWidth(RightBarWidth);
    auto* layout = new QVBoxLayout(frameRightBar);
    layout->setContentsMargins(0, 0, 0, 0);

    BuildingGrid = new QTableWidget(frameRightBar);
    BuildingGrid->setObjectName(QStringLiteral("BuildingGrid"));
    BuildingGrid->setMouseTracking(true);
    BuildingGrid->viewport()->setMouseTracking(true);
    BuildingGrid->viewport()->installEventFilter(this);
    BuildingGrid->setMinimumHeight(90);
    BuildingGrid->setMaximumHeight(130);
    lbEinrichtungBelegtProzent = new QLabel(frameRightBar);
    layout->addWidget(BuildingGrid);
    layout->addWidget(lbEinrichtungBelegtProzent);
    layout->addWidget(buildCalendarFrame());
    layout->addWidget(buildBookingPanel(), 1);

    connect(BuildingGrid->horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int column) {
        RunHandler(QStringLiteral("BuildingGrid_MouseDown"), [this, column] { BuildingGrid_MouseDown(-1, column); });
    });
    ui::onCellKeys(BuildingGrid, [this](const QModelIndex& index) {
        RunHandler(QStringLiteral("BuildingGrid_MouseDown"),
                   [this, index] { BuildingGrid_MouseDown(index.row(), index.column()); });
    });

    // On a low screen the bar scrolls instead of pushing the window's foot off it.
    auto* bar = new QScrollArea;
    bar->setWidget(frameRightBar);
    bar->setWidgetResizable(true);
    bar->setFrameShape(QFrame::NoFrame);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bar->setFixedWidth(RightBarWidth + bar->verticalScrollBar()->sizeHint().width());
    return bar;
}

// Tab goes the way the window reads, top to bottom and left to right: the
// buttons above (they come first by themselves), the shown page, then the bar
// on the right. Several controls are made after the ones they stand before.
void frmStockwerke::orderTabStops()
{
    auto* floorPlanScroll = qobject_cast<QScrollArea*>(floorPlanBox->parentWidget()->parentWidget());
    ui::setTabChain({
        SSTab1->tabBar(),
        // The floor plan.
        cmdFloorStep[0], cmdFloorStep[1], listRoomCategoryFilter, floorPlanScroll, chkWuselMode, cmdLoadPicture,
        // The schedule's steps, back from the far end to today and on.
        btnDateAddQuartal[0], btnDateAddMonth[0], btnDateAddWeek[0], btnDateCount[0], btnheute, btnDateCount[1],
        btnDateAddWeek[1], btnDateAddMonth[1], btnDateAddQuartal[1],
        // The tree, then the editor beside it.
        TV1, cmdNewResource[0], cmdNewResource[1], cmdSaveResource, cmdDeleteResource,
        tbBuildingName, tbbld_short, tbBuildingImageFile, cmdBrowseBuildingImageFile, cmdShowBuildingImage,
        cmdSaveBuildingDetails,
        imgMaxNum[0], imgMaxNum[1], tbFloorName, tbflr_short, tbFloorImageFile, cmdBrowseFloorImageFile,
        cmdShowFloorImage, tbFloorInfo, cmdSaveFloorDetails, cmdEditFloorProperties,
        tbPlatzName, chkPlaceDisabled, listPlatzTyp, tbPlatzInfo, tbPlaceCapacity, tbPlaceImageFile,
        cmdBrowsePlaceImageFile, cmdShowPlaceImage, cmdSavePlaceDetails, cmdEditPlaceCoordinates, cmdPlaceBookings,
        btnEditBuildings, btnEditFloors, btnEditPlaces, cmdKategorieFilter,
        // The bar: ‹ month ›, ‹ year ›, then the panel row by row.
        BuildingGrid, cmdBuchungStartNow, btnMonthStep[0], listMonth, btnMonthStep[1], btnYearStep[0], listYear,
        btnYearStep[1], CalendarGrid,
        cmdShowRoomImage, tbBuchungDatum[0], btnStartDateStep[0], btnStartDateStep[1],
        tbBuchungDatum[1], btnEndDateStep[0], btnEndDateStep[1], cmdShowPat, tbBewohner, btnPatient, btnPatDel,
        tbPersoncount, btnPersoncountStep[0], btnPersoncountStep[1], tbBuchungInfo, btnShowBookings,
        cmdSaveBooking, btnNeuBooking, cmdBuchungDelete, btnShowBookingDetails, cmdInvoice, cmdAnreiseliste,
        cmdAbreiseliste,
    });
}

void frmStockwerke::Form_Load()
{
    setWindowTitle(AppTitle + QStringLiteral(" ") + VersionText);
    StatusBar1->setText(UserName + QStringLiteral("@") + ComputerName);
    m_state.FloorPictureMaxWidth = FloorBoxWidthTwips;
    m_state.FloorPictureMaxHeight = FloorBoxHeightTwips;
    SetEditModeControls(m_state.EditMode);
    cmdShowPat->setText(ui::withFreeMnemonic(TermPersonSingular.isEmpty() ? QStringLiteral("Gast") : TermPersonSingular,
                                             this, cmdShowPat));
    lbFloorPlanHint->setText(FloorPlanHintText());
    menuEditMode->setVisible(!StationReadOnly);
    InitCalendar();
    InitBuildingGridHeader(BuildingGrid);
    InitScheduleControl();
    lblRoomName->clear();
    ClearBookingPanel(true);
    m_loaded = true;
}

void frmStockwerke::init()
{
    RunHandler(QStringLiteral("init"), [this] {
        show();
        raise();
        activateWindow();
        // Shown is enough: not every desktop reports the activation.
        PlanFormLoaded = true;
        if (MandantId != m_state.LoadedMandantId)
            fillFacility();
        SSTab1_Click(1);
        // A booking starts with its period; the calendar keeps its month.
        focusCalendarOn(SelectedPeriod[0], false);
    });
}

void frmStockwerke::fillFacility()
{
    // Nothing of another facility stays current, so nothing is booked there.
    if (m_state.LoadedMandantId != 0) {
        m_state.CurrentFloorId = -1;
        m_state.CurrentBuildingId = -1;
        m_state.CurrentFloorOrder = 0;
        m_state.CurrentPlaceId = -1;
        CurrentPlaceName.clear();
        lblRoomName->clear();
        ClearBookingPanel(true);
    }
    lbEinrichtungsname->setText(MandantName);
    FillListBuildings(BuildingGrid, MandantId, SelectedPeriod[0], SelectedPeriod[1], lbEinrichtungBelegtProzent);
    menuShowCategoryColors->setChecked(false);
    FillListRoomCategoryFilter(MandantId);
    FillResourceTree();
    m_state.LoadedMandantId = MandantId;
}

void frmStockwerke::ActualizeControls(std::optional<rt::Date> d)
{
    RunHandler(QStringLiteral("ActualizeControls"), [this, d] {
        switch (SSTab1->currentIndex()) {
        case 0:
            ShowPlaetze(m_state.CurrentFloorId);
            break;
        case 1:
            FillSchedule(QString(), m_state.CurrentFloorId, -1, d ? *d : m_state.PlanStartDate);
            break;
        case 2:
            RefreshTreeOccupancy();
            break;
        default:
            break;
        }
        refreshBuildingGrid();
    });
}

void frmStockwerke::refreshBuildingGrid()
{
    FillListBuildings(BuildingGrid, MandantId, SelectedPeriod[0], SelectedPeriod[1], lbEinrichtungBelegtProzent);
    // Every refresh of the plan counts as this workstation's access.
    UpdateWorkstationLastAccess();
}

void frmStockwerke::SSTab1_Click(int /*previousTab*/)
{
    switch (SSTab1->currentIndex()) {
    case 0:
        ShowStockwerkDetails(m_state.CurrentFloorId, m_state.CurrentBuildingId);
        ShowPlaetze(m_state.CurrentFloorId);
        break;
    case 1:
        m_state.EditMode = false;
        SetEditModeControls(false);
        FillSchedule(QString(), m_state.CurrentFloorId, m_state.CurrentBuildingId, rt::Date());
        break;
    case 2:
        m_state.EditMode = false;
        SetEditModeControls(false);
        FillResourceTree();
        RefreshTreeOccupancy();
        break;
    default:
        break;
    }
}

void frmStockwerke::SetEditModeControls(bool on)
{
    menuEditMode->setChecked(on);
    cmdLoadPicture->setVisible(on);
    lbFloorPlanHint->setVisible(on);
}

void frmStockwerke::btnRefresh_Click()
{
    ActualizeControls();
}

void frmStockwerke::btnHelp_Click()
{
    RunHandler(QStringLiteral("btnHelp_Click"), [] { OpenFileWithShell(AppPath + QStringLiteral("help.pdf")); });
}

void frmStockwerke::menuSettings_Click()
{
    RunHandler(QStringLiteral("menuSettings_Click"), [this] {
        // In edit mode the administrator has given the password already.
        if (!m_state.EditMode && !CheckAdminPassword(true))
            return;
        if (Windows().showSettings)
            Windows().showSettings();
    });
}

bool frmStockwerke::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        PlanFormLoaded = true;
    else if (e->type() == QEvent::WindowDeactivate)
        LastDeactivatedForm = objectName().toUpper();
    return QMainWindow::event(e);
}

void frmStockwerke::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (ui::msgBox(QStringLiteral("Möchten Sie ") + AppTitle + QStringLiteral(" beenden?"), ui::OkCancel | ui::Question,
                   AppTitle + QStringLiteral(" beenden")) == ui::Answer::Ok)
        QuitProgram();
}

bool frmStockwerke::eventFilter(QObject* watched, QEvent* e)
{
    if (!m_loaded)
        return QMainWindow::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    const bool press = type == QEvent::MouseButtonPress;
    const bool release = type == QEvent::MouseButtonRelease;
    const bool doubleClick = type == QEvent::MouseButtonDblClick;
    auto* mouse = (press || release || doubleClick || type == QEvent::MouseMove) ? static_cast<QMouseEvent*>(e) : nullptr;

    if (auto* label = qobject_cast<QLabel*>(watched); label && label->parent() == floorPlanBox && label != imgStockwerk) {
        const int index = label->property("Index").toInt();
        if (press) {
            RunHandler(QStringLiteral("lbPlatz_MouseDown"), [this, index, mouse] {
                lbPlatz_MouseDown(index, mouse->button(), mouse->modifiers(), mouse->position().toPoint());
            });
            return true;
        }
        if (doubleClick) {
            RunHandler(QStringLiteral("lbPlatz_DblClick"), [this, index] { lbPlatz_DblClick(index); });
            return true;
        }
        return false;
    }
    if (watched == lblRoomName && doubleClick) {
        RunHandler(QStringLiteral("lblRoomName_DblClick"), [this] { btnShowBookingDetails_Click(); });
        return true;
    }
    if (watched == TV1 || watched == TV1->viewport()) {
        TV1_Input(watched, type);
        return false;
    }
    if (watched == imgStockwerk && press) {
        imgStockwerk_MouseDown(mouse->button(), mouse->globalPosition().toPoint());
        return false;
    }
    if (watched == lbDateRange && release && mouse->button() == Qt::LeftButton) {
        RunHandler(QStringLiteral("lbDateRange_Click"), [this] { lbDateRange_Click(); });
        return false;
    }
    if (watched == BuildingGrid->viewport()) {
        if (press) {
            const QModelIndex index = BuildingGrid->indexAt(mouse->position().toPoint());
            if (index.isValid())
                RunHandler(QStringLiteral("BuildingGrid_MouseDown"),
                           [this, index] { BuildingGrid_MouseDown(index.row(), index.column()); });
        } else if (type == QEvent::MouseMove) {
            BuildingGrid_MouseMove(mouse->position().toPoint());
        }
        return false;
    }
    if (watched == CalendarGrid && type == QEvent::KeyPress) {
        bool handled = false;
        RunHandler(QStringLiteral("CalendarGrid_KeyDown"),
                   [this, e, &handled] { handled = CalendarGrid_KeyDown(static_cast<QKeyEvent*>(e)); });
        return handled;
    }
    if (watched == CalendarGrid->viewport() && mouse) {
        const int cell = calendarCellAt(mouse->position().toPoint());
        if (press) {
            m_calendarPressCell = cell;
            RunHandler(QStringLiteral("CalendarGrid_MouseDown"),
                       [this, mouse, cell] { CalendarGrid_MouseDown(mouse->button(), cell); });
        } else if (release) {
            int far = cell;
            if (far < 0 && CalendarGrid->currentIndex().isValid())
                far = CalendarGrid->currentIndex().row() * 7 + CalendarGrid->currentIndex().column();
            const bool click = mouse->button() == Qt::LeftButton && cell >= 0 && cell == m_calendarPressCell;
            RunHandler(QStringLiteral("CalendarGrid_MouseUp"), [this, mouse, far] { CalendarGrid_MouseUp(mouse->button(), far); });
            if (click)
                RunHandler(QStringLiteral("CalendarGrid_Click"), [this, cell] { CalendarGrid_Click(cell); });
            m_calendarPressCell = -1;
        } else if (doubleClick && mouse->button() == Qt::LeftButton) {
            RunHandler(QStringLiteral("CalendarGrid_DblClick"), [this, cell] { CalendarGrid_DblClick(cell); });
            return true;
        }
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        if (watched != tbBuchungDatum[i])
            continue;
        if (type == QEvent::FocusOut) {
            // Leaving the field, not the window: a message box over it is no leave.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                RunHandler(QStringLiteral("tbBuchungDatum_LostFocus"), [this, i] { ValidateBookingDate(i); });
        } else if (doubleClick || (type == QEvent::KeyPress && IsDatePickerKey(static_cast<QKeyEvent*>(e)))) {
            RunHandler(QStringLiteral("tbBuchungDatum_DblClick"), [this, i] { tbBuchungDatum_DblClick(i); });
            return true;
        }
        return false;
    }
    return QMainWindow::eventFilter(watched, e);
}
