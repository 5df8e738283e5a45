#include "bookings/frmBuchungen.h"

#include "bookings/bookinglist.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/lookups.h"
#include "core/terms.h"
#include "core/windows.h"
#include "platform/runtime/twips.h"
#include "platform/ui/colorfield.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& caption, const QString& tip = QString())
{
    auto* b = new QPushButton(caption);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QPushButton* stepButton(const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setFixedWidth(28);
    b->setAutoDefault(false);
    return b;
}

QLabel* valueLabel()
{
    auto* label = new QLabel;
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

frmBuchungen::frmBuchungen() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmBuchungen"));
    setWindowTitle(QStringLiteral("Buchungen"));
    buildWindow();
    connectHandlers();
    connectPrintHandlers();
    Form_Load();
}

void frmBuchungen::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal);
    auto* listSide = new QWidget;
    auto* editorSide = new QWidget;
    buildList(listSide);
    buildEditor(editorSide);
    splitter->addWidget(listSide);
    splitter->addWidget(editorSide);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    outer->addWidget(splitter);
    resize(1180, 620);
}

void frmBuchungen::buildList(QWidget* parent)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* range = new QHBoxLayout;
    optListRange[0] = new QRadioButton(QStringLiteral("Reservierungen ab heute"));
    optListRange[1] = new QRadioButton(QStringLiteral("alle"));
    optListRange[1]->setChecked(true);
    btnRefresh = button(QStringLiteral("Liste ak&tualisieren"));
    range->addWidget(optListRange[0]);
    range->addWidget(optListRange[1]);
    range->addStretch();
    range->addWidget(btnRefresh);
    layout->addLayout(range);

    m_model = new BookingListModel(this);
    connect(m_model, &BookingListModel::namesFailed, this,
            [](const QString& text) { ui::msgBox(text, ui::Critical, AppTitle); });
    ListView1 = new QTableView;
    ListView1->setModel(m_model);
    ui::spanNoteLine(ListView1, BookingListModel::BookIdRole);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setAlternatingRowColors(true);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    // Unsorted until the user clicks a header: the list keeps the newest start first.
    ListView1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ListView1->setSortingEnabled(true);
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    const int dateWidth = ListView1->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16;
    ListView1->setColumnWidth(BookingListModel::ColStart, dateWidth);
    ListView1->setColumnWidth(BookingListModel::ColEnd, dateWidth);
    ListView1->setColumnWidth(BookingListModel::ColGuest, 200);
    ListView1->setColumnWidth(BookingListModel::ColPersons, ListView1->fontMetrics().horizontalAdvance(QStringLiteral("Personen")) + 24);
    layout->addWidget(ListView1, 1);

    auto* buttons = new QHBoxLayout;
    cmdListBookingsPerson = button(QStringLiteral("alle Buchungen dieses &Gastes auflisten"));
    cmdListBookingsRoom = button(QStringLiteral("alle Buchungen dieses Rau&mes auflisten"));
    cmdPrintList = button(QStringLiteral("L&iste drucken"));
    buttons->addWidget(cmdListBookingsPerson);
    buttons->addWidget(cmdListBookingsRoom);
    buttons->addStretch();
    buttons->addWidget(cmdPrintList);
    layout->addLayout(buttons);
}

void frmBuchungen::buildEditor(QWidget* parent)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    frameDetails = new QGroupBox(QStringLiteral("Reservierungsdetails"));
    auto* g = new QGridLayout(frameDetails);
    int row = 0;

    lblBooking_id = valueLabel();
    lblEditDateTime = valueLabel();
    lblBearbeiter = valueLabel();
    lbBookingStatus = valueLabel();
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(lblBooking_id);
    idRow->addSpacing(12);
    idRow->addWidget(new QLabel(QStringLiteral("bearbeitet:")));
    idRow->addWidget(lblEditDateTime);
    idRow->addWidget(lblBearbeiter);
    idRow->addStretch();
    idRow->addWidget(lbBookingStatus);
    g->addWidget(new QLabel(QStringLiteral("Buchungs-Nr.")), row, 0);
    g->addLayout(idRow, row++, 1, 1, 3);

    listRooms = new QComboBox;
    listRooms->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    listRooms->setMinimumContentsLength(24);
    cmdShowRoomImage = button(QStringLiteral("Bild"), QStringLiteral("Bild anzeigen"));
    g->addWidget(new QLabel(TermPlaceSingular.isEmpty() ? QStringLiteral("Raum") : TermPlaceSingular), row, 0);
    g->addWidget(listRooms, row, 1, 1, 2);
    g->addWidget(cmdShowRoomImage, row++, 3);

    tbBewohner = new QLineEdit;
    tbBewohner->setReadOnly(true);
    tbBewohner->setCursor(Qt::PointingHandCursor);
    tbBewohner->setToolTip(QStringLiteral("Klicken, um den Gast im Adressbuch zu wählen"));
    cmdShowPat = button(TermPersonSingular, QStringLiteral("Gäste-Details anzeigen"));
    btnPatient = button(QStringLiteral("D&etails"), QStringLiteral("Gäste-Details anzeigen"));
    btnPatDel = button(QStringLiteral("X"), QStringLiteral("Bewohner entfernen"));
    btnPatDel->setFixedWidth(28);
    auto* guestRow = new QHBoxLayout;
    guestRow->addWidget(tbBewohner, 1);
    guestRow->addWidget(btnPatDel);
    guestRow->addWidget(btnPatient);
    g->addWidget(cmdShowPat, row, 0);
    g->addLayout(guestRow, row++, 1, 1, 3);
    lblCustomer_id = valueLabel();
    g->addWidget(lblCustomer_id, row++, 1, 1, 3);

    const QString calendarTip = QStringLiteral("Doppelklick zum Anzeigen der Kalenderhilfe");
    const std::array<QString, 2> dateCaptions{QStringLiteral("von"), QStringLiteral("bis")};
    for (size_t i = 0; i < 2; ++i) {
        tbBuchungDatum[i] = new QLineEdit;
        tbBuchungDatum[i]->setToolTip(calendarTip);
        tbBuchungDatum[i]->setMaxLength(10);
        tbBuchungDatum[i]->setFixedWidth(tbBuchungDatum[i]->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16);
        tbZeit[i] = new QLineEdit(QStringLiteral("12:00"));
        tbZeit[i]->setReadOnly(true);
        tbZeit[i]->setFocusPolicy(Qt::NoFocus);
        tbZeit[i]->setFixedWidth(tbZeit[i]->fontMetrics().horizontalAdvance(QStringLiteral("00:000")) + 12);
    }
    btnStartDateStep = {stepButton(QStringLiteral("+")), stepButton(QStringLiteral("-"))};
    btnEndDateStep = {stepButton(QStringLiteral("+")), stepButton(QStringLiteral("-"))};
    const std::array<std::array<QPushButton*, 2>*, 2> steppers{&btnStartDateStep, &btnEndDateStep};
    for (size_t i = 0; i < 2; ++i) {
        auto* dateRow = new QHBoxLayout;
        dateRow->addWidget(tbBuchungDatum[i]);
        dateRow->addWidget(tbZeit[i]);
        dateRow->addWidget((*steppers[i])[0]);
        dateRow->addWidget((*steppers[i])[1]);
        dateRow->addStretch();
        (*steppers[i])[0]->setToolTip(QStringLiteral("einen Tag später"));
        (*steppers[i])[1]->setToolTip(QStringLiteral("einen Tag früher"));
        g->addWidget(new QLabel(dateCaptions[i]), row, 0);
        g->addLayout(dateRow, row++, 1, 1, 3);
    }

    tbPersoncount = new QLineEdit;
    tbPersoncount->setMaxLength(4);
    tbPersoncount->setFixedWidth(tbPersoncount->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    tbPersoncount->setAlignment(Qt::AlignRight);
    btnPersoncountStep = {stepButton(QStringLiteral("-")), stepButton(QStringLiteral("+"))};
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(tbPersoncount);
    countRow->addWidget(btnPersoncountStep[0]);
    countRow->addWidget(btnPersoncountStep[1]);
    countRow->addSpacing(16);
    countRow->addWidget(new QLabel(QStringLiteral("Farbe")));
    auto* colorField = new ui::ColorField;
    connect(colorField, &ui::ColorField::keyPressed, this, &frmBuchungen::lbColor_MouseDown);
    lbColor = colorField;
    lbColor->setMinimumSize(60, tbPersoncount->sizeHint().height());
    lbColor->setToolTip(QStringLiteral("Farbe der Buchung wählen"));
    countRow->addWidget(lbColor);
    countRow->addStretch();
    g->addWidget(new QLabel(QStringLiteral("Personen")), row, 0);
    g->addLayout(countRow, row++, 1, 1, 3);

    tbBuchungInfo = new QLineEdit;
    tbBuchungInfo->setMaxLength(255);
    g->addWidget(new QLabel(QStringLiteral("Notizen")), row, 0);
    g->addWidget(tbBuchungInfo, row++, 1, 1, 3);

    lblInvoice_id = valueLabel();
    cmdInvoice = button(QStringLiteral("Rechn&ung"), QStringLiteral("Rechnung zu dieser Reservierung"));
    auto* invoiceRow = new QHBoxLayout;
    invoiceRow->addWidget(lblInvoice_id);
    invoiceRow->addStretch();
    invoiceRow->addWidget(cmdInvoice);
    g->addWidget(new QLabel(QStringLiteral("Rechnung Nr.")), row, 0);
    g->addLayout(invoiceRow, row++, 1, 1, 3);
    g->setColumnStretch(1, 1);
    g->setRowStretch(row, 1);
    layout->addWidget(frameDetails, 1);

    cmdSave[0] = button(QStringLiteral("Reservierung &speichern"), QStringLiteral("Reservierung speichern"));
    cmdSave[1] = button(QStringLiteral("Reser&vieren"), QStringLiteral("Reservierung speichern und Fenster schließen"));
    btnNeu = button(QStringLiteral("&Neu"), QStringLiteral("Neue Reservierung anlegen"));
    btnDelete = button(QStringLiteral("&Löschen"), QStringLiteral("Reservierung löschen"));
    btnUndo = button(QStringLiteral("&Rückgängig"), QStringLiteral("alle Felder auf Originalwerte zurücksetzen"));
    btnBackHistory = button(QStringLiteral("&Zurück"), QStringLiteral("zum vorherigen Datensatz"));
    cmdCancel = button(QStringLiteral("&Abbrechen"));
    btnHelp = button(QStringLiteral("Hilfe"));
    btnOutputWordDoc = button(QStringLiteral("&Drucken"), QStringLiteral("Reservierungs-Bestätigung drucken"));
    cmdBookingConfirmation = button(QStringLiteral("Reservierungs&bestätigung"));

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(btnBackHistory);
    editRow->addWidget(btnNeu);
    editRow->addWidget(btnUndo);
    editRow->addWidget(btnDelete);
    editRow->addStretch();
    layout->addLayout(editRow);
    auto* letterRow = new QHBoxLayout;
    letterRow->addWidget(cmdBookingConfirmation);
    letterRow->addWidget(btnOutputWordDoc);
    letterRow->addStretch();
    letterRow->addWidget(btnHelp);
    layout->addLayout(letterRow);
    auto* saveRow = new QHBoxLayout;
    saveRow->addStretch();
    saveRow->addWidget(cmdSave[0]);
    saveRow->addWidget(cmdSave[1]);
    saveRow->addWidget(cmdCancel);
    layout->addLayout(saveRow);
}

void frmBuchungen::Form_Load()
{
    RunHandler(QStringLiteral("Form_Load"), [this] {
        m_editor.FillRoomList(-1);
        showFields();
    });
}

void frmBuchungen::showWindow()
{
    ShowForm(this);
}

void frmBuchungen::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void frmBuchungen::commitPendingEdit()
{
    // The box being left runs its leave handling before the window goes.
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
}

frmBuchungen::~frmBuchungen()
{
    // A field that loses the focus while the window goes must not run its
    // leave handling on what is already destroyed.
    for (QWidget* child : findChildren<QWidget*>())
        child->blockSignals(true);
}

void frmBuchungen::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (isVisible())
        commitPendingEdit();
    LastDeactivatedForm = objectName().toUpper();
    hide();
}

void frmBuchungen::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        LastDeactivatedForm = objectName().toUpper();
        return;
    }
    // Back from a message box of a running action: that action shows its own result.
    if (m_inAction)
        return;
    // The plan may have switched to another facility meanwhile.
    editorAction(QStringLiteral("Form_Activate"), [this] { m_editor.RefreshRoomList(); });
}

void frmBuchungen::ListHost::ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange)
{
    m_window.fillList(filter, bookId, placeId, showDetails, listRange);
}

void frmBuchungen::ListHost::SetCaption(const QString& caption)
{
    m_window.SetCaption(caption);
}

void frmBuchungen::ListHost::RemoveFromList(qint32 bookId)
{
    m_window.RemoveFromList(bookId);
}

void frmBuchungen::ListHost::SelectBookingInList(qint32 bookId)
{
    m_window.SelectBookingInList(bookId);
}

void frmBuchungen::ListHost::ChooseGuest()
{
    ShowAdresse(-1, &m_window);
}
