#include "invoicing/frmRechnung.h"

#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "invoicing/invoicelistmodel.h"
#include "invoicing/positionsmodel.h"
#include "platform/ui/helpkey.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString WindowName = QStringLiteral("FRMRECHNUNG");

QLabel* amountLabel()
{
    auto* label = new QLabel;
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(110);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setFixedHeight(label->fontMetrics().height() + 6);
    return label;
}

}  // namespace

frmRechnung::frmRechnung()
{
    setObjectName(QStringLiteral("frmRechnung"));
    setWindowTitle(QStringLiteral("Rechnung"));
    buildLayout();
    RunHandler(QStringLiteral("Form_Load"), [this] { Form_Load(); });
    m_endWork = AtProgramEnd([](bool unattended) {
        if (frmRechnung::isLoaded()) {
            frmRechnung& w = frmRechnung::instance();
            // Nobody to tell how to type a date: one typed incomplete keeps the stored date.
            const QScopedValueRollback quiet(w.m_endingUnattended, unattended);
            // An invoice deleted elsewhere that the notice named is the user's to store:
            // a plain end leaves it to its question, as unattended.
            const bool nobody = unattended || w.m_session.WaitsForTheDesk();
            const QScopedValueRollback nobodyAsked(w.m_session.Unattended, nobody);
            w.commitEdits();
            // Back to the invoice: the user's own end waits for it.
            if (w.m_session.SaveInvoice(nobody) == SaveResult::Back && !nobody) {
                CallOffProgramEnd();
                w.showSession();
                w.show();
                w.raise();
                w.activateWindow();
            }
            // The station may go on: it shows what another one stored meanwhile.
            w.showSession();
        }
    });
}

frmRechnung::~frmRechnung()
{
    RemoveProgramEndWork(m_endWork);
    // Taking the window apart moves the focus out of its fields; their leave
    // handling must not run on what is left of it.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

void frmRechnung::buildLayout()
{
    auto* top = new QHBoxLayout;
    listRechnungen = new QComboBox;
    m_invoiceList = new InvoiceListModel(this);
    listRechnungen->setModel(m_invoiceList);
    listRechnungen->setMinimumContentsLength(40);
    // Measured by its set length, not by the text of every invoice listed.
    listRechnungen->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* view = qobject_cast<QListView*>(listRechnungen->view()))
        view->setUniformItemSizes(true);
    QFont fixed(QStringLiteral("DejaVu Sans Mono"));
    fixed.setStyleHint(QFont::TypeWriter);
    listRechnungen->setFont(fixed);
    btnSortOrder = new QPushButton(QStringLiteral("A,B,C"));
    // The list is always ordered by date; the button has nothing to do.
    btnSortOrder->hide();
    btnListRechnungenUpdate = new QPushButton(QStringLiteral("Liste ak&tualisieren"));
    btnNeu = new QPushButton(QStringLiteral("&Neu anlegen"));
    btnDelete = new QPushButton(QStringLiteral("&Löschen"));
    top->addWidget(new QLabel(QStringLiteral("Rechnungen:")));
    top->addWidget(listRechnungen, 1);
    top->addWidget(btnSortOrder);
    top->addWidget(btnListRechnungenUpdate);
    top->addSpacing(20);
    top->addWidget(btnNeu);
    top->addWidget(btnDelete);

    auto* recipient = new QGroupBox(QStringLiteral("Rechnungsempfänger"));
    auto* recipientLayout = new QVBoxLayout(recipient);
    tbAdressfeld = new QPlainTextEdit;
    tbAdressfeld->setReadOnly(true);
    tbAdressfeld->setToolTip(QStringLiteral("Klicken, um die Anschrift im Adressbuch zu zeigen"));
    // Six lines: an address abroad, and the positions keep the height.
    tbAdressfeld->setFixedHeight(tbAdressfeld->fontMetrics().lineSpacing() * 6 + 12);
    tbAdressfeld->viewport()->installEventFilter(this);
    cmdShowPat = new QPushButton(QStringLiteral("&Gast"));
    cmdShowPat->setToolTip(QStringLiteral("Gast-Details anzeigen"));
    cmdBooking = new QPushButton(QStringLiteral("zur &Buchung"));
    cmdBooking->setToolTip(QStringLiteral("Buchungs-Details anzeigen"));
    lbDateRange = new QLabel;
    auto* recipientButtons = new QVBoxLayout;
    recipientButtons->addWidget(cmdShowPat);
    recipientButtons->addWidget(cmdBooking);
    recipientButtons->addStretch();
    auto* address = new QHBoxLayout;
    address->addWidget(tbAdressfeld, 1);
    address->addLayout(recipientButtons);
    recipientLayout->addLayout(address);
    auto* stay = new QHBoxLayout;
    stay->addWidget(new QLabel(QStringLiteral("Aufenthalt:")));
    stay->addWidget(lbDateRange, 1);
    recipientLayout->addLayout(stay);

    auto* header = new QGroupBox(QStringLiteral("Rechnung"));
    auto* headerLayout = new QGridLayout(header);
    // The label unlocks the date, by a click or by its Alt+letter.
    lbDatumRechnung = new QLabel(QStringLiteral("Rechnungs&datum:"));
    lbDatumRechnung->setToolTip(QStringLiteral("Klicken oder Alt+D, um das Rechnungsdatum zu ändern"));
    lbDatumRechnung->setCursor(Qt::PointingHandCursor);
    lbDatumRechnung->installEventFilter(this);
    tbDatum_Rechnung = new QLineEdit;
    lbDatumRechnung->setBuddy(tbDatum_Rechnung);
    tbDatum_Rechnung->setMaximumWidth(110);
    tbDatum_Rechnung->setEnabled(false);
    tbDatum_Rechnung->installEventFilter(this);
    btnDatumRechnungStep[0] = new QPushButton(QStringLiteral("+"));
    btnDatumRechnungStep[0]->setToolTip(QStringLiteral("einen Tag später"));
    btnDatumRechnungStep[1] = new QPushButton(QStringLiteral("-"));
    btnDatumRechnungStep[1]->setToolTip(QStringLiteral("einen Tag früher"));
    for (QPushButton* b : btnDatumRechnungStep) {
        b->setFixedWidth(28);
        b->setEnabled(false);
    }
    lbRechnungstag = new QLabel;
    lbRechnungstag->setMinimumWidth(30);
    lbRechnungNr = new QLabel;
    QFont bold = lbRechnungNr->font();
    bold.setBold(true);
    lbRechnungNr->setFont(bold);
    listStatus = new QComboBox;
    listZahlmod = new QComboBox;
    chkBezahlt = new QCheckBox(QStringLiteral("bez&ahlt"));
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(tbDatum_Rechnung);
    dateRow->addWidget(btnDatumRechnungStep[0]);
    dateRow->addWidget(btnDatumRechnungStep[1]);
    dateRow->addWidget(lbRechnungstag);
    dateRow->addStretch();
    headerLayout->addWidget(lbDatumRechnung, 0, 0);
    headerLayout->addLayout(dateRow, 0, 1);
    headerLayout->addWidget(new QLabel(QStringLiteral("Rechnungsnr.:")), 1, 0);
    headerLayout->addWidget(lbRechnungNr, 1, 1);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(listStatus, 1);
    statusRow->addWidget(chkBezahlt);
    headerLayout->addWidget(new QLabel(QStringLiteral("Status:")), 2, 0);
    headerLayout->addLayout(statusRow, 2, 1);
    headerLayout->addWidget(new QLabel(QStringLiteral("Zahlungsart:")), 3, 0);
    headerLayout->addWidget(listZahlmod, 3, 1);
    headerLayout->setRowStretch(4, 1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(recipient, 3);
    middle->addWidget(header, 2);

    auto* positions = new QGroupBox(QStringLiteral("Positionen"));
    auto* positionsLayout = new QHBoxLayout(positions);
    MSFlexGrid1 = new QTableView;
    btnAddRow = new QPushButton(QStringLiteral("Zeile &einfügen"));
    btnDeleteEntry = new QPushButton(QStringLiteral("&Zeile löschen"));
    cmdShowHotelleistungen = new QPushButton(QStringLiteral("&Hotelleistungen anzeigen"));
    cmdListArtikelRefresh = new QPushButton(QStringLiteral("&Positionen neu laden"));
    // Beside the grid, so the grid keeps the height.
    auto* positionButtons = new QVBoxLayout;
    positionButtons->addWidget(btnAddRow);
    positionButtons->addWidget(btnDeleteEntry);
    positionButtons->addWidget(cmdShowHotelleistungen);
    positionButtons->addStretch();
    positionButtons->addWidget(cmdListArtikelRefresh);
    positionsLayout->addWidget(MSFlexGrid1, 1);
    positionsLayout->addLayout(positionButtons);

    auto* notes = new QGroupBox(QStringLiteral("Notizen"));
    auto* notesLayout = new QVBoxLayout(notes);
    tbInfo = new QPlainTextEdit;
    tbInfo->installEventFilter(this);
    notesLayout->addWidget(tbInfo);

    auto* totals = new QGroupBox(QStringLiteral("Beträge"));
    auto* totalsLayout = new QGridLayout(totals);
    lbSumme = amountLabel();
    lbMwSt_included = new QLabel;
    auto* includedReduced = new QLabel;
    includedReduced->setObjectName(QStringLiteral("lbMwSt_included_1"));
    for (size_t i = 0; i < 2; ++i) {
        lbMwSt[i] = new QLabel;
        lbMwStNum[i] = amountLabel();
    }
    lbNettoSumme = amountLabel();
    lbBruttobetrag = amountLabel();
    lbBruttobetrag->setAutoFillBackground(true);
    lbBruttobetrag->setFont(bold);
    totalsLayout->setVerticalSpacing(2);
    totalsLayout->addWidget(new QLabel(QStringLiteral("Summe")), 0, 0, 1, 2);
    totalsLayout->addWidget(lbSumme, 0, 2);
    totalsLayout->addWidget(lbMwSt_included, 1, 0);
    totalsLayout->addWidget(lbMwSt[0], 1, 1);
    totalsLayout->addWidget(lbMwStNum[0], 1, 2);
    totalsLayout->addWidget(includedReduced, 2, 0);
    totalsLayout->addWidget(lbMwSt[1], 2, 1);
    totalsLayout->addWidget(lbMwStNum[1], 2, 2);
    totalsLayout->addWidget(new QLabel(QStringLiteral("Netto Summe")), 3, 0, 1, 2);
    totalsLayout->addWidget(lbNettoSumme, 3, 2);
    totalsLayout->addWidget(new QLabel(QStringLiteral("Bruttobetrag")), 4, 0, 1, 2);
    totalsLayout->addWidget(lbBruttobetrag, 4, 2);

    // As high as the totals need; the rest of the height is the positions'.
    totals->setFixedHeight(totals->sizeHint().height());
    notes->setFixedHeight(totals->sizeHint().height());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(notes, 3);
    bottom->addWidget(totals, 2);

    auto* buttons = new QHBoxLayout;
    cmdSave = new QPushButton(QStringLiteral("Rechnung &speichern"));
    btnPreviewDoc = new QPushButton(QStringLiteral("zum &Word-Dokument"));
    cmdEditMwSt = new QPushButton(QStringLiteral("&Mehrwertsteuer bearbeiten"));
    btnHelp = new QPushButton(QStringLiteral("Hilfe"));
    buttons->addWidget(cmdSave);
    buttons->addWidget(btnPreviewDoc);
    buttons->addWidget(cmdEditMwSt);
    // The status line between the buttons: one row less for the positions.
    StatusBar1 = new QStatusBar;
    StatusBar1->setSizeGripEnabled(false);
    buttons->addWidget(StatusBar1, 1);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addWidget(positions, 1);
    layout->addLayout(bottom);
    layout->addLayout(buttons);
    // Twelve positions and more on a 1280x800 screen, title bar and panel included.
    resize(980, 720);

    InitPositionsGrid();

    connect(listRechnungen, &QComboBox::activated, this, &frmRechnung::listRechnungen_Click);
    connect(btnListRechnungenUpdate, &QPushButton::clicked, this, &frmRechnung::btnListRechnungenUpdate_Click);
    connect(btnNeu, &QPushButton::clicked, this, &frmRechnung::btnNeu_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmRechnung::btnDelete_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmRechnung::cmdSave_Click);
    connect(tbDatum_Rechnung, &QLineEdit::textEdited, this, &frmRechnung::tbDatum_Rechnung_Change);
    // Leaving the date by focus is seen in eventFilter.
    connect(tbDatum_Rechnung, &QLineEdit::returnPressed, this, &frmRechnung::tbDatum_Rechnung_LostFocus);
    for (int i = 0; i < 2; ++i)
        connect(btnDatumRechnungStep[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { btnDatumRechnungStep_Click(i); });
    connect(listStatus, &QComboBox::activated, this, &frmRechnung::listStatus_Click);
    connect(listZahlmod, &QComboBox::activated, this, &frmRechnung::listZahlmod_Click);
    connect(chkBezahlt, &QCheckBox::clicked, this, &frmRechnung::chkBezahlt_Click);
    connect(tbInfo, &QPlainTextEdit::textChanged, this, &frmRechnung::tbInfo_Change);
    connect(cmdShowPat, &QPushButton::clicked, this, &frmRechnung::cmdShowPat_Click);
    connect(cmdBooking, &QPushButton::clicked, this, &frmRechnung::cmdBooking_Click);
    connect(cmdEditMwSt, &QPushButton::clicked, this, &frmRechnung::cmdEditMwSt_Click);
    connect(btnHelp, &QPushButton::clicked, this, &frmRechnung::btnHelp_Click);
    ui::BindHelpKey(this, btnHelp);
    connect(btnAddRow, &QPushButton::clicked, this, &frmRechnung::btnAddRow_Click);
    connect(btnDeleteEntry, &QPushButton::clicked, this, &frmRechnung::btnDeleteEntry_Click);
    connect(cmdShowHotelleistungen, &QPushButton::clicked, this, &frmRechnung::btnArtikelsuche_Click);
    connect(cmdListArtikelRefresh, &QPushButton::clicked, this, &frmRechnung::cmdListArtikelRefresh_Click);
    connect(btnPreviewDoc, &QPushButton::clicked, this, &frmRechnung::btnPreviewDoc_Click);
}

void frmRechnung::Form_Load()
{
    FillListFromTable(listStatus, QStringLiteral("tbl_invoice_status"), QStringLiteral("ivs_id"), QStringLiteral("ivs_name"),
                      0, -1, QString());
    FillListFromTable(listZahlmod, QStringLiteral("tbl_paymode"), QStringLiteral("paym_id"),
                      QStringLiteral("paym_caption"), 0, -1, QString());
    showSession();
}

void frmRechnung::ShowRechnung(qint32 invId, qint32 custId, qint32 bookingId)
{
    RunHandler(QStringLiteral("ShowRechnung"), [&] {
        ShowForm(this);
        if (!leaveInvoice())
            return;
        btnSortOrder->setText(QStringLiteral("A,B,C"));
        btnSortOrder->setToolTip(QStringLiteral("nach Name sortieren"));
        FillListRechnungen(invId, custId);
        m_lastArticleId = 0;
        m_session.show(invId, custId, bookingId);
        showSession();
        m_session.TellStoredTotal();
    });
}

void frmRechnung::AddMainAdress(qint32 custId, const QString& /*name*/)
{
    RunHandler(QStringLiteral("AddMainAdress"), [&] {
        if (m_session.takeOverCustomer(custId))
            showHeader();
    });
}

void frmRechnung::showSession()
{
    // The VAT mode as the invoice was opened with.
    const QString included = MwStIncluded ? QStringLiteral("inkl.") : QStringLiteral("zzgl.");
    lbMwSt_included->setText(included);
    findChild<QLabel*>(QStringLiteral("lbMwSt_included_1"))->setText(included);
    showHeader();
    m_positions->refresh();
    showTotals();
    StatusBar1->showMessage(m_session.StatusLine);
}

void frmRechnung::showHeader()
{
    const QSignalBlocker b1(tbAdressfeld);
    const QSignalBlocker b2(tbInfo);
    tbAdressfeld->setPlainText(m_session.AddressText);
    if (tbDatum_Rechnung->text() != m_session.DateText)
        tbDatum_Rechnung->setText(m_session.DateText);
    lbRechnungstag->setText(m_session.weekdayText());
    lbRechnungNr->setText(m_session.NumberText);
    lbDateRange->setText(m_session.DateRangeText);
    SelectListItemByItemData(listStatus, m_session.StatusId, -1);
    if (m_session.PaymodeId)
        SelectListItemByItemData(listZahlmod, *m_session.PaymodeId, -1);
    else
        listZahlmod->setCurrentIndex(-1);
    chkBezahlt->setChecked(m_session.Paid);
    showPaidColor();
    if (tbInfo->toPlainText() != m_session.Notes)
        tbInfo->setPlainText(m_session.Notes);
    setWindowTitle(m_session.hasInvoice() ? listStatus->currentText() + QStringLiteral(" vom ") + m_session.DateText
                                          : QStringLiteral("Rechnung"));
}

void frmRechnung::showTotals()
{
    // No amount made of a value that cannot be read.
    const std::optional<InvoiceTotals>& t = m_session.Totals;
    const auto amount = [&t](Cents InvoiceTotals::*part) { return t ? FormatCents((*t).*part) : NoValueText; };
    lbSumme->setText(amount(&InvoiceTotals::sum));
    lbMwSt[0]->setText(m_session.vatLabel(0));
    lbMwSt[1]->setText(m_session.vatLabel(1));
    lbMwStNum[0]->setText(amount(&InvoiceTotals::vatFull));
    lbMwStNum[1]->setText(amount(&InvoiceTotals::vatReduced));
    lbNettoSumme->setText(amount(&InvoiceTotals::net));
    lbBruttobetrag->setText(amount(&InvoiceTotals::gross));
}

void frmRechnung::showPaidColor()
{
    // Green when paid, red while open.
    lbBruttobetrag->setStyleSheet(chkBezahlt->isChecked() ? QStringLiteral("background-color: rgb(0, 192, 0);")
                                                          : QStringLiteral("background-color: rgb(255, 0, 0);"));
}

void frmRechnung::commitEdits()
{
    // Leaving the field runs its completion (date, notes, grid cell).
    if (QWidget* focused = focusWidget(); focused && isAncestorOf(focused))
        focused->clearFocus();
    // A cell typed while nobody was there is left now, as that cell would have been.
    m_session.refuseTyped();
}

bool frmRechnung::leaveInvoice()
{
    QWidget* focused = focusWidget();
    commitEdits();
    const SaveResult result = m_session.SaveInvoice();
    if (result == SaveResult::Kept)
        FillListRechnungen(m_session.CurrentInvoiceId, m_listCustomerId);
    if (result == SaveResult::Failed || result == SaveResult::Back || result == SaveResult::Kept) {
        showSession();
        if (focused)
            focused->setFocus();
        return false;
    }
    if (result == SaveResult::Dropped) {
        FillListRechnungen(-1, m_listCustomerId);
        showSession();
    }
    return true;
}

bool frmRechnung::Form_Unload(bool unattended)
{
    QWidget* focused = isVisible() ? focusWidget() : nullptr;
    if (focused)
        commitEdits();
    const SaveResult result = m_session.SaveInvoice(unattended);
    const bool kept = result == SaveResult::Kept && !unattended;
    if (kept)
        FillListRechnungen(m_session.CurrentInvoiceId, m_listCustomerId);
    if (result == SaveResult::Failed || result == SaveResult::Back || kept) {
        showSession();
        // Back on the invoice, the keyboard where it was.
        if (focused)
            focused->setFocus();
        return false;
    }
    LastDeactivatedForm = WindowName;
    InvoiceFormOpen = false;
    hide();
    return true;
}

void frmRechnung::closeEvent(QCloseEvent* event)
{
    // The window stays loaded: closing hides it after the save rules.
    event->ignore();
    RunHandler(QStringLiteral("Form_Unload"), [this] { Form_Unload(); });
}

void frmRechnung::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            InvoiceFormOpen = true;
        else
            LastDeactivatedForm = WindowName;
    }
    QWidget::changeEvent(event);
}

void frmRechnung::showEvent(QShowEvent* event)
{
    InvoiceFormOpen = true;
    QWidget::showEvent(event);
}

void frmRechnung::hideEvent(QHideEvent* event)
{
    InvoiceFormOpen = false;
    QWidget::hideEvent(event);
}

void frmRechnung::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        listRechnungen->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmRechnung::eventFilter(QObject* watched, QEvent* event)
{
    // Events arrive while the window is still being built.
    if (!MSFlexGrid1 || !tbAdressfeld)
        return QWidget::eventFilter(watched, event);
    if (watched == lbDatumRechnung
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Shortcut)) {
        lbDatumRechnung_Click();
        return true;
    }
    if (watched == tbAdressfeld->viewport() && event->type() == QEvent::MouseButtonPress) {
        cmdShowPat_Click();
        return true;
    }
    if (watched == tbDatum_Rechnung && event->type() == QEvent::FocusIn)
        tbDatum_Rechnung_GotFocus();
    // Another window, a popup or a box coming up is no leaving of the date:
    // what is said of it would stand over a window the user did not ask about.
    if (watched == tbDatum_Rechnung && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            tbDatum_Rechnung_LostFocus();
    }
    if (watched == tbInfo && event->type() == QEvent::FocusOut)
        tbInfo_LostFocus();
    if (watched == MSFlexGrid1->viewport() && event->type() == QEvent::Resize)
        SizePositionColumns();
    if (watched == MSFlexGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!MSFlexGrid1->indexAt(mouse->position().toPoint()).isValid()) {
            btnArtikelsuche_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
