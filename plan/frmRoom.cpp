#include "plan/frmRoom.h"

#include "core/bookings.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/windows.h"
#include "plan/picturechoice.h"
#include "plan/roomdetails.h"
#include "platform/ui/busy.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

frmRoom::frmRoom()
{
    setObjectName(QStringLiteral("frmRoom"));
    setWindowTitle(QStringLiteral("Raumdetails"));

    lbRoomName = new QLabel;
    QFont titleFont = lbRoomName->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    lbRoomName->setFont(titleFont);
    lbRoom_id = new QLabel;
    lbRoom_id->setToolTip(QStringLiteral("Kennummer"));

    const auto readOnlyBox = [] {
        auto* box = new QLineEdit;
        box->setReadOnly(true);
        return box;
    };
    tbRoomName = readOnlyBox();
    tbRoomInfo = readOnlyBox();
    tbCapacity = readOnlyBox();
    tbCapacity->setMaximumWidth(80);
    lbBuildingName = new QLabel;
    lbStockwerkName = new QLabel;
    // Names and the file name as typed, never as markup.
    for (QLabel* typed : {lbRoomName, lbBuildingName, lbStockwerkName})
        typed->setTextFormat(Qt::PlainText);
    // Shows the stored flag; places are blocked in the main window.
    chkBlocked = new QCheckBox(QStringLiteral("nicht zur Bewohner-Buchung geeignet"));
    chkBlocked->setFocusPolicy(Qt::NoFocus);
    chkBlocked->installEventFilter(this);

    frameBookingOptions = new QGroupBox(QStringLiteral("Buchungsoptionen"));
    listRoomCategory = new QComboBox;
    listRoomCategory->setEnabled(false);
    cmdKategorie = new QPushButton(QStringLiteral("Kategorie"));
    cmdKategorie->setEnabled(false);
    lbGrundPreis = new QLabel(QStringLiteral("Grundpreis"));
    auto* options = new QHBoxLayout(frameBookingOptions);
    options->addWidget(listRoomCategory, 1);
    options->addWidget(cmdKategorie);
    options->addWidget(lbGrundPreis);

    listBewohner = new QListWidget;
    btnPatient = new QPushButton(QStringLiteral("Gast-Details"));
    btnPatient->setToolTip(QStringLiteral("Bewohnerdetails anzeigen"));
    btnShowBookings = new QPushButton(QStringLiteral("Reservierungen"));
    btnShowBookings->setToolTip(QStringLiteral("Reservierungen dieses Raumes auflisten"));

    imgRoom = new QLabel;
    auto* pictureArea = new QScrollArea;
    pictureArea->setWidget(imgRoom);
    pictureArea->setAlignment(Qt::AlignCenter);
    pictureArea->setMinimumSize(320, 240);
    lbImageName = new QLabel;
    lbImageName->setTextFormat(Qt::PlainText);
    lbImageName->setWordWrap(true);
    cmdLoadPicture = new QPushButton(QStringLiteral("Bild laden"));

    btnBackHistory = new QPushButton(QStringLiteral("<"));
    btnBackHistory->setToolTip(QStringLiteral("zum vorherigen Raum"));
    btnBackHistory->setEnabled(false);
    btnRefresh = new QPushButton(QStringLiteral("aktualisieren"));
    btnNeu = new QPushButton(QStringLiteral("Neuen Raum anlegen"));
    cmdRoomSave = new QPushButton(QStringLiteral("Raum speichern"));
    cmdRoomSave->setEnabled(false);
    cmdRoomDelete = new QPushButton(QStringLiteral("Raum löschen"));
    cmdRoomDelete->setEnabled(false);

    auto* title = new QHBoxLayout;
    title->addWidget(lbRoomName, 1);
    title->addWidget(new QLabel(QStringLiteral("Nr.")));
    title->addWidget(lbRoom_id);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bezeichnung (Nr.)"), tbRoomName);
    form->addRow(QStringLiteral("Rauminfo"), tbRoomInfo);
    form->addRow(QStringLiteral("Gebäude"), lbBuildingName);
    form->addRow(QStringLiteral("Etage"), lbStockwerkName);
    form->addRow(QStringLiteral("Personen-Kapazität"), tbCapacity);

    auto* occupantButtons = new QHBoxLayout;
    occupantButtons->addWidget(btnPatient);
    occupantButtons->addWidget(btnShowBookings);
    occupantButtons->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(title);
    left->addLayout(form);
    left->addWidget(chkBlocked);
    left->addWidget(frameBookingOptions);
    left->addWidget(new QLabel(QStringLiteral("Bewohner z.Zt.")));
    left->addWidget(listBewohner, 1);
    left->addLayout(occupantButtons);

    auto* right = new QVBoxLayout;
    right->addWidget(pictureArea, 1);
    right->addWidget(lbImageName);
    right->addWidget(cmdLoadPicture, 0, Qt::AlignLeft);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnBackHistory);
    buttons->addWidget(btnRefresh);
    buttons->addStretch();
    buttons->addWidget(btnNeu);
    buttons->addWidget(cmdRoomSave);
    buttons->addWidget(cmdRoomDelete);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    buildMenus();

    connect(btnPatient, &QPushButton::clicked, this, &frmRoom::btnPatient_Click);
    connect(listBewohner, &QListWidget::itemClicked, this, &frmRoom::listBewohner_Click);
    ui::onCellKeys(listBewohner, [this](const QModelIndex&) { listBewohner_Click(); });
    connect(chkBlocked, &QCheckBox::toggled, this, &frmRoom::chkBlocked_Click);
    connect(btnRefresh, &QPushButton::clicked, this, &frmRoom::btnRefresh_Click);
    connect(btnNeu, &QPushButton::clicked, this, &frmRoom::btnNeu_Click);
    connect(btnShowBookings, &QPushButton::clicked, this, &frmRoom::btnShowBookings_Click);
    connect(cmdLoadPicture, &QPushButton::clicked, this, &frmRoom::cmdLoadPicture_Click);

    clearFields();
    resize(820, 520);
}

void frmRoom::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datei"));
    menuSaveRoom = file->addAction(QStringLiteral("&Speichern"));
    menuDeleteRoom = file->addAction(QStringLiteral("&Löschen"));
    file->addSeparator();
    menuExit = file->addAction(QStringLiteral("Schli&eßen"), this, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    menuLoadImageFile = edit->addAction(QStringLiteral("&Bilddatei zuweisen"));
    menuShowPatient = edit->addAction(QStringLiteral("Bewohnerdetails anzeigen"), this, &frmRoom::btnPatient_Click);
    menuShowBookings =
        edit->addAction(QStringLiteral("Reservierungen dieses Raumes auflisten"), this, &frmRoom::btnShowBookings_Click);
    menuEditRoom = edit->addAction(QStringLiteral("Raumbearbeitung"));

    menuHelp = menuBar()->addAction(QStringLiteral("&?"), this, &frmRoom::menuHelp_Click);
    menuHelp->setShortcut(QKeySequence::HelpContents);

    // Places are changed in the main window; these stay visible but do nothing.
    for (QAction* dead : {menuSaveRoom, menuDeleteRoom, menuLoadImageFile, menuEditRoom})
        dead->setEnabled(false);
}

void frmRoom::clearFields()
{
    ShownPlaceId = -1;
    OccupantCustomerId = -1;
    m_imageFile.clear();
    for (QLabel* label : {lbRoom_id, lbRoomName, lbBuildingName, lbStockwerkName, lbImageName})
        label->clear();
    for (QLineEdit* box : {tbRoomName, tbRoomInfo, tbCapacity})
        box->clear();
    listBewohner->clear();
    chkBlocked->setChecked(false);
    chkBlocked_Click();
    for (QWidget* w : std::initializer_list<QWidget*>{btnPatient, btnShowBookings, cmdLoadPicture})
        w->setEnabled(false);
    menuShowPatient->setEnabled(false);
    menuShowBookings->setEnabled(false);
}

void frmRoom::ShowRoomDetails(qint32 roomId, qint32 placeId)
{
    RunHandler(QStringLiteral("ShowRoomDetails"), [&] {
        ShowForm(this);
        raise();
        activateWindow();
        clearFields();
        if (roomId <= 0 && placeId <= 0) {
            // No picture of another place beside the empty fields.
            imgRoom->clear();
            return;
        }
        RoomDetails details;
        {
            ui::WaitCursor wait;
            details = ReadRoomDetails(placeId, rt::Date::now());
        }
        ShownPlaceId = details.ShownPlaceId;
        OccupantCustomerId = details.OccupantCustomerId;
        if (ShownPlaceId > 0) {
            lbRoom_id->setText(details.roomId);
            lbRoomName->setText(details.name);
            tbRoomName->setText(details.name);
            tbRoomInfo->setText(details.info);
            chkBlocked->setChecked(details.blocked);
            lbBuildingName->setText(details.building);
            lbStockwerkName->setText(details.floor);
            tbCapacity->setText(details.capacity);
            const FillingListsGuard filling;
            for (const RoomOccupant& occupant : details.occupants) {
                auto* item = new QListWidgetItem(occupant.name, listBewohner);
                item->setData(Qt::UserRole, occupant.custId);
            }
        }
        const bool shown = ShownPlaceId > 0;
        btnShowBookings->setEnabled(shown);
        menuShowBookings->setEnabled(shown);
        cmdLoadPicture->setEnabled(shown);
        btnPatient->setEnabled(OccupantCustomerId > 0);
        menuShowPatient->setEnabled(OccupantCustomerId > 0);
        showPicture(details.imageFile);
        if (!shown)
            ui::msgBox(RoomNotFoundText(placeId), ui::Exclamation, QStringLiteral("Raum nicht gefunden"));
    });
}

void frmRoom::showPicture(const QString& file)
{
    m_imageFile = file;
    ShowImageFile(file, imgRoom, lbImageName, 0, 0, false, ImageDir);
    imgRoom->adjustSize();
}

void frmRoom::btnPatient_Click()
{
    if (OccupantCustomerId <= 0)
        return;
    // The guest chosen in the address book then goes to a new booking.
    CallerForm = nullptr;
    ShowAdresse(OccupantCustomerId, nullptr);
}

void frmRoom::listBewohner_Click()
{
    if (FillingLists)
        return;
    const QListWidgetItem* item = listBewohner->currentItem();
    if (!item)
        return;
    CallerForm = nullptr;
    ShowAdresse(item->data(Qt::UserRole).toInt(), nullptr);
}

void frmRoom::chkBlocked_Click()
{
    frameBookingOptions->setVisible(!chkBlocked->isChecked());
}

void frmRoom::btnRefresh_Click()
{
    ShowRoomDetails(-1, ShownPlaceId);
}

void frmRoom::btnNeu_Click()
{
    ui::msgBox(QStringLiteral("Legen Sie einen neuen Raum bitte im Stockwerk-Plan an."), ui::OkOnly, AppTitle);
}

void frmRoom::btnShowBookings_Click()
{
    if (ShownPlaceId <= 0)
        return;
    SetBookingsCaption(RoomBookingsCaption(tbRoomName->text()));
    ShowBookings(BookingListOfPlace(ShownPlaceId), -1, -1, true, -1);
}

void frmRoom::cmdLoadPicture_Click()
{
    RunHandler(QStringLiteral("cmdLoadPicture_Click"), [this] {
        if (const std::optional<QString> name = ChoosePlacePicture(ShownPlaceId, m_imageFile, ImageDir))
            showPicture(*name);
    });
}

void frmRoom::menuHelp_Click()
{
    OpenFileWithShell(AppPath + QStringLiteral("help.pdf"));
}

void frmRoom::closeEvent(QCloseEvent* event)
{
    if (Closing) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}

bool frmRoom::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == chkBlocked) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmRoom::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        LastDeactivatedForm = QStringLiteral("FRMROOM");
    QMainWindow::changeEvent(event);
}
