#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/datefunctions.h"
#include "core/handler.h"
#include "core/terms.h"
#include "core/windows.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/ui/desktop.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

QToolButton* smallButton(const QString& caption, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setToolTip(tip);
    button->setFixedWidth(24);
    return button;
}

}  // namespace

QWidget* frmStockwerke::buildBookingPanel()
{
    frameReservierungsdetails = new QGroupBox(QStringLiteral("Reservierung"));
    QWidget* f = frameReservierungsdetails;
    auto* grid = new QGridLayout(f);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);

    lblRoomName = new QLabel(f);
    // The place's name as typed, never as markup.
    lblRoomName->setTextFormat(Qt::PlainText);
    lblRoomName->setToolTip(QStringLiteral("Doppelklick: Reservierung Details"));
    lblRoomName->installEventFilter(this);
    QFont bold = lblRoomName->font();
    bold.setBold(true);
    lblRoomName->setFont(bold);
    lbBookingStatus = new QLabel(QStringLiteral("gebucht"), f);
    lbBookingStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(lblRoomName, 0, 0, 1, 3);
    grid->addWidget(lbBookingStatus, 0, 3, 1, 3);

    const std::array<QString, 2> dateCaptions{QStringLiteral("Anr&eise"), QStringLiteral("Abre&ise")};
    for (int i = 0; i < 2; ++i) {
        tbBuchungDatum[i] = new QLineEdit(f);
        tbBuchungDatum[i]->setToolTip(QStringLiteral("Datum eingeben (z.B. 241224) oder doppelt klicken für den Kalender"));
        tbBuchungDatum[i]->installEventFilter(this);
        tbZeit[i] = new QLineEdit(f);
        tbZeit[i]->setReadOnly(true);
        tbZeit[i]->setFocusPolicy(Qt::NoFocus);
        tbZeit[i]->setFixedWidth(46);
        auto* caption = new QLabel(dateCaptions[i], f);
        caption->setBuddy(tbBuchungDatum[i]);
        grid->addWidget(caption, 1 + i, 0);
        grid->addWidget(tbBuchungDatum[i], 1 + i, 1, 1, 2);
        grid->addWidget(tbZeit[i], 1 + i, 3);
    }
    btnStartDateStep = {smallButton(QStringLiteral("+"), QStringLiteral("Anreise 1 Tag später"), f),
                        smallButton(QStringLiteral("-"), QStringLiteral("Anreise 1 Tag früher"), f)};
    btnEndDateStep = {smallButton(QStringLiteral("+"), QStringLiteral("Abreise 1 Tag später"), f),
                      smallButton(QStringLiteral("-"), QStringLiteral("Abreise 1 Tag früher"), f)};
    grid->addWidget(btnStartDateStep[0], 1, 4);
    grid->addWidget(btnStartDateStep[1], 1, 5);
    grid->addWidget(btnEndDateStep[0], 2, 4);
    grid->addWidget(btnEndDateStep[1], 2, 5);

    tbBewohner = new QLineEdit(f);
    tbBewohner->setReadOnly(true);
    cmdShowPat = new QPushButton(QStringLiteral("Gast"), f);
    cmdShowPat->setToolTip(QStringLiteral("Gast-Details anzeigen"));
    btnPatDel = new QPushButton(QStringLiteral("Gast en&tfernen"), f);
    btnPatient = new QPushButton(QStringLiteral("Gast-Details anzeigen"), f);
    grid->addWidget(cmdShowPat, 3, 0);
    grid->addWidget(tbBewohner, 3, 1, 1, 5);
    auto* guestButtons = new QHBoxLayout;
    guestButtons->addWidget(btnPatient);
    guestButtons->addWidget(btnPatDel);
    grid->addLayout(guestButtons, 4, 1, 1, 5);

    tbPersoncount = new QLineEdit(QStringLiteral("1"), f);
    tbPersoncount->setFixedWidth(46);
    btnPersoncountStep = {smallButton(QStringLiteral("-"), QStringLiteral("eine Person weniger"), f),
                          smallButton(QStringLiteral("+"), QStringLiteral("eine Person mehr"), f)};
    auto* persons = new QHBoxLayout;
    persons->addWidget(tbPersoncount);
    persons->addWidget(btnPersoncountStep[0]);
    persons->addWidget(btnPersoncountStep[1]);
    persons->addStretch(1);
    auto* personsCaption = new QLabel(QStringLiteral("&Personenzahl"), f);
    personsCaption->setBuddy(tbPersoncount);
    grid->addWidget(personsCaption, 5, 0);
    grid->addLayout(persons, 5, 1, 1, 5);

    tbBuchungInfo = new QLineEdit(f);
    auto* notesCaption = new QLabel(QStringLiteral("N&otizen"), f);
    notesCaption->setBuddy(tbBuchungInfo);
    grid->addWidget(notesCaption, 6, 0);
    grid->addWidget(tbBuchungInfo, 6, 1, 1, 5);

    lbBookingCount = new QLabel(f);
    btnShowBookings = new QPushButton(f);
    btnShowBookings->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    btnShowBookings->setToolTip(QStringLiteral("Buchungen anzeigen"));
    // The panel keeps its height when the button comes and goes.
    QSizePolicy keep = btnShowBookings->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    btnShowBookings->setSizePolicy(keep);
    grid->addWidget(lbBookingCount, 7, 0, 1, 5);
    grid->addWidget(btnShowBookings, 7, 5);

    cmdSaveBooking = new QPushButton(QStringLiteral("Reservierung &speichern"), f);
    cmdBuchungDelete = new QPushButton(QStringLiteral("Reservierung &löschen"), f);
    btnNeuBooking = new QPushButton(QStringLiteral("&Neue Reservierung"), f);
    btnShowBookingDetails = new QPushButton(QStringLiteral("Reser&vierung Details"), f);
    cmdInvoice = new QPushButton(QStringLiteral("&Rechnung erstellen"), f);
    cmdAnreiseliste = new QPushButton(QStringLiteral("Anreiseliste (heute) an&zeigen"), f);
    cmdAbreiseliste = new QPushButton(QStringLiteral("Abreiseliste (he&ute) anzeigen"), f);
    QFont saveFont = cmdSaveBooking->font();
    saveFont.setBold(true);
    cmdSaveBooking->setFont(saveFont);
    grid->addWidget(cmdSaveBooking, 8, 0, 1, 3);
    grid->addWidget(btnNeuBooking, 8, 3, 1, 3);
    grid->addWidget(cmdBuchungDelete, 9, 0, 1, 3);
    grid->addWidget(btnShowBookingDetails, 9, 3, 1, 3);
    grid->addWidget(cmdInvoice, 10, 0, 1, 6);
    grid->addWidget(cmdAnreiseliste, 11, 0, 1, 6);
    grid->addWidget(cmdAbreiseliste, 12, 0, 1, 6);
    grid->setRowStretch(13, 1);

    const auto handler = [this](const char* name, void (frmStockwerke::*slot)()) {
        return [this, name, slot] { RunHandler(QString::fromLatin1(name), [this, slot] { (this->*slot)(); }); };
    };
    connect(cmdSaveBooking, &QPushButton::clicked, this, handler("cmdSaveBooking_Click", &frmStockwerke::cmdSaveBooking_Click));
    m_panel.setGuestChooser([this] { ShowAdresse(-1, this); });
    connect(cmdBuchungDelete, &QPushButton::clicked, this,
            handler("cmdBuchungDelete_Click", &frmStockwerke::cmdBuchungDelete_Click));
    connect(btnNeuBooking, &QPushButton::clicked, this, handler("btnNeuBooking_Click", &frmStockwerke::btnNeuBooking_Click));
    connect(btnPatDel, &QPushButton::clicked, this, handler("btnPatDel_Click", &frmStockwerke::btnPatDel_Click));
    connect(btnPatient, &QPushButton::clicked, this, handler("btnPatient_Click", &frmStockwerke::btnPatient_Click));
    connect(cmdShowPat, &QPushButton::clicked, this, handler("cmdShowPat_Click", &frmStockwerke::cmdShowPat_Click));
    connect(btnShowBookingDetails, &QPushButton::clicked, this,
            handler("btnShowBookingDetails_Click", &frmStockwerke::btnShowBookingDetails_Click));
    connect(btnShowBookings, &QPushButton::clicked, this,
            handler("btnShowBookings_Click", &frmStockwerke::btnShowBookings_Click));
    connect(cmdAnreiseliste, &QPushButton::clicked, this,
            handler("cmdAnreiseliste_Click", &frmStockwerke::cmdAnreiseliste_Click));
    connect(cmdAbreiseliste, &QPushButton::clicked, this,
            handler("cmdAbreiseliste_Click", &frmStockwerke::cmdAbreiseliste_Click));
    connect(cmdInvoice, &QPushButton::clicked, this, handler("cmdInvoice_Click", &frmStockwerke::cmdInvoice_Click));
    for (int i = 0; i < 2; ++i) {
        connect(btnStartDateStep[i], &QToolButton::clicked, this, [this, i] {
            RunHandler(QStringLiteral("btnStartDateStep_Click"), [this, i] { StepBookingDate(0, 2 * i - 1); });
        });
        connect(btnEndDateStep[i], &QToolButton::clicked, this, [this, i] {
            RunHandler(QStringLiteral("btnEndDateStep_Click"), [this, i] { StepBookingDate(1, 2 * i - 1); });
        });
        connect(btnPersoncountStep[i], &QToolButton::clicked, this, [this, i] { btnPersoncountStep_Click(i); });
        connect(tbBuchungDatum[i], &QLineEdit::returnPressed, this, [this, i] {
            RunHandler(QStringLiteral("tbBuchungDatum_KeyDown"), [this, i] { ValidateBookingDate(i); });
        });
    }
    connect(tbPersoncount, &QLineEdit::editingFinished, this, [this] {
        readBookingPanel();
        m_panel.normalizePersons();
        applyBookingPanel();
    });
    return frameReservierungsdetails;
}

void frmStockwerke::readBookingPanel()
{
    for (int i = 0; i < 2; ++i) {
        m_panelFields.dates[i] = tbBuchungDatum[i]->text();
        m_panelFields.times[i] = tbZeit[i]->text();
    }
    m_panelFields.guest = tbBewohner->text();
    m_panelFields.persons = tbPersoncount->text();
    m_panelFields.info = tbBuchungInfo->text();
}

void frmStockwerke::applyBookingPanel()
{
    for (int i = 0; i < 2; ++i) {
        if (tbBuchungDatum[i]->text() != m_panelFields.dates[i])
            tbBuchungDatum[i]->setText(m_panelFields.dates[i]);
        tbZeit[i]->setText(m_panelFields.times[i]);
        SetBackColor(tbBuchungDatum[i], m_panelFields.dateColours[i]);
    }
    tbBewohner->setText(m_panelFields.guest);
    SetBackColor(tbBewohner, m_panelFields.guestColour);
    if (tbPersoncount->text() != m_panelFields.persons)
        tbPersoncount->setText(m_panelFields.persons);
    if (tbBuchungInfo->text() != m_panelFields.info)
        tbBuchungInfo->setText(m_panelFields.info);
    lbBookingStatus->setText(m_panelFields.status);
    lbBookingCount->setText(m_panelFields.count);
    btnShowBookings->setVisible(m_panelFields.showBookingsVisible);
}

void frmStockwerke::ClearBookingPanel(bool fillDates)
{
    readBookingPanel();
    m_panel.clear(fillDates);
    applyBookingPanel();
}

void frmStockwerke::LoadBookingPanel(qint32 bookId, qint32 placeId)
{
    if (bookId <= 0 && placeId <= 0) {
        forgetCurrentPlace();
        return;
    }
    readBookingPanel();
    const qint32 bookingPlace = m_panel.load(bookId, placeId);
    applyBookingPanel();
    if (bookingPlace > 0)
        ShowPlatzDetails(bookingPlace, 0, -1);
    if (m_state.CurrentBookingId > 0) {
        m_panel.checkConflicts(CheckGuestAndPlace);
        applyBookingPanel();
    }
}

void frmStockwerke::RefreshAfterBookingChange()
{
    RunHandler(QStringLiteral("RefreshAfterBookingChange"), [this] {
        const qint32 shown = m_state.CurrentBookingId;
        readBookingPanel();
        // An edit typed into the panel stays: its save compares with the stored row.
        if (shown > 0 && m_panel.unsavedEdit().isEmpty()) {
            if (LoadBooking(shown))
                LoadBookingPanel(shown, -1);
            else
                ClearBookingPanel(true);
        }
    });
    ActualizeControls();
    // The calendar's booked days too: a room another window found taken shows taken.
    BuildCalendarGrid(rt::Date());
}

void frmStockwerke::ValidateBookingDate(int index)
{
    readBookingPanel();
    const bool periodSet = m_panel.validateDate(index);
    applyBookingPanel();
    if (periodSet)
        BuildCalendarGrid(rt::Date());
}

void frmStockwerke::StepBookingDate(int index, int days)
{
    readBookingPanel();
    const bool periodSet = m_panel.stepDate(index, days);
    applyBookingPanel();
    if (periodSet)
        BuildCalendarGrid(rt::Date());
}

void frmStockwerke::focusAfterStep(QWidget* before, QWidget* fallback)
{
    const bool back = before && before != FocusDummy && before->window() == this && before->isVisible()
                      && before->isEnabled() && before->focusPolicy() != Qt::NoFocus;
    (back ? before : fallback)->setFocus(Qt::OtherFocusReason);
}

void frmStockwerke::cmdSaveBooking_Click()
{
    const QPointer<QWidget> before = focusWidget();
    // Also when the save fails on the database.
    const auto refocus = qScopeGuard([this, &before] { focusAfterStep(before, cmdSaveBooking); });
    // A date still being typed counts as left, as when the focus moves on.
    for (int i = 0; i < 2; ++i) {
        if (QApplication::focusWidget() == tbBuchungDatum[i])
            ValidateBookingDate(i);
    }
    FocusDummy->setFocus();
    readBookingPanel();
    qint32 place = m_state.CurrentPlaceId;
    // Moved to another place at another workstation meanwhile, saved or
    // refused: the plan names the place the panel now shows.
    const auto follow = [this, &place] {
        if (m_state.CurrentPlaceId > 0 && m_state.CurrentPlaceId != place) {
            place = m_state.CurrentPlaceId;
            ShowPlatzDetails(place, 0, -1);
        }
    };
    const auto redraw = [this, &follow] {
        follow();
        applyBookingPanel();
        ActualizeControls();
        BuildCalendarGrid(rt::Date());
    };
    const bool stored = m_panel.save(redraw, redraw);
    follow();
    applyBookingPanel();
    if (stored)
        btnShowBookings->setVisible(true);
}

void frmStockwerke::cmdBuchungDelete_Click()
{
    const QPointer<QWidget> before = focusWidget();
    readBookingPanel();
    if (!m_panel.remove())
        return;
    BuildCalendarGrid(rt::Date());
    ActualizeControls();
    ClearBookingPanel(true);
    // The panel now holds a new booking, which starts with its arrival.
    focusAfterStep(before, tbBuchungDatum[0]);
}

void frmStockwerke::btnNeuBooking_Click()
{
    readBookingPanel();
    m_panel.clear(false);
    m_panel.checkConflicts(CheckGuestAndPlace);
    applyBookingPanel();
}

void frmStockwerke::btnPatDel_Click()
{
    readBookingPanel();
    m_panel.removeGuest();
    applyBookingPanel();
}

void frmStockwerke::btnPatient_Click()
{
    ShowAdresse(m_state.CurrentCustomerId, this);
}

void frmStockwerke::cmdShowPat_Click()
{
    ShowAdresse(tbBewohner->text().isEmpty() ? -1 : m_state.CurrentCustomerId, this);
}

void frmStockwerke::btnPersoncountStep_Click(int index)
{
    readBookingPanel();
    m_panel.stepPersons(2 * index - 1);
    applyBookingPanel();
}

void frmStockwerke::btnShowBookingDetails_Click()
{
    readBookingPanel();
    m_panel.showBookingDetails(lblRoomName->text());
}

void frmStockwerke::btnShowBookings_Click()
{
    m_panel.showPlaceBookings();
}

void frmStockwerke::cmdAnreiseliste_Click()
{
    BookingPanel::showTodaysList(true);
}

void frmStockwerke::cmdAbreiseliste_Click()
{
    BookingPanel::showTodaysList(false);
}

void frmStockwerke::cmdInvoice_Click()
{
    m_panel.showInvoice();
}

void frmStockwerke::AddMainAdress(qint32 custId, const QString& name)
{
    RunHandler(QStringLiteral("AddMainAdress"), [this, custId, name] {
        if (custId < 0)
            return;
        // The question about the guest stands over the panel it asks for.
        ui::bringToFront(this);
        readBookingPanel();
        m_panel.takeGuest(custId, name);
        applyBookingPanel();
    });
}

void frmStockwerke::tbBuchungDatum_DblClick(int index)
{
    m_dateFieldAsking = index;
    const auto typed = db::parseDate(CompleteDateInput(tbBuchungDatum[index]->text()));
    frmCalendar::instance().ShowDate(typed ? *typed : rt::Date::now(), this, tbBuchungDatum[index]);
}

void frmStockwerke::Receive_SelectedDate(const rt::Date& date)
{
    const int index = m_dateFieldAsking;
    m_dateFieldAsking = -1;
    if (index < 0 || index > 1)
        return;
    RunHandler(QStringLiteral("Form_Activate"), [this, index, date] {
        tbBuchungDatum[index]->setText(rt::formatDate(date, QStringLiteral("dd.mm.yyyy")));
        ValidateBookingDate(index);
    });
}
