#include "invoicing/frmServices.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/windows.h"
#include "invoicing/frmRechnung.h"
#include "platform/runtime/text.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

const QString WindowName = QStringLiteral("FRMSERVICES");

// Rows a little higher than the font: the dots of a capital umlaut ("Übernachtung")
// stand above its ascent and were cut off in the first row.
class RoomyRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rheight() += 4;
        return size;
    }
};

}  // namespace

frmServices::frmServices()
{
    setObjectName(QStringLiteral("frmServices"));
    setWindowTitle(QStringLiteral("Hotelleistungen"));
    buildLayout();
    RunHandler(QStringLiteral("Form_Load"), [this] { Form_Load(); });
    m_endWork = AtProgramEnd([](bool unattended) {
        if (frmServices::isLoaded()) {
            frmServices& w = frmServices::instance();
            // Nobody to tell that a price or quantity cannot be read: its box keeps it as typed.
            const QScopedValueRollback quiet(w.m_endingUnattended, unattended);
            if (QWidget* focused = w.focusWidget())
                focused->clearFocus();
            // Nobody to ask: what was typed is kept.
            const bool stored = unattended ? w.m_catalogue.SaveArtikel(true) : w.m_catalogue.offerSave();
            // The entry as stored, with what could not be written still in its field.
            w.showEntry();
            if (stored)
                w.fillList(w.m_catalogue.CurrentServiceId);
            // Back to the entry: the user's own end waits for it.
            if (!stored && !unattended) {
                CallOffProgramEnd();
                w.show();
                w.raise();
                w.activateWindow();
            }
        }
    });
}

frmServices::~frmServices()
{
    RemoveProgramEndWork(m_endWork);
}

void frmServices::buildLayout()
{
    listArtikel = new QListWidget;
    listArtikel->setMinimumWidth(240);
    listArtikel->setItemDelegate(new RoomyRows(listArtikel));

    tbBeschreibung = new QLineEdit;
    tbComment = new QLineEdit;
    tbPreis = new QLineEdit;
    tbPreis->setAlignment(Qt::AlignRight);
    tbPreis->setMaximumWidth(120);
    lbCurrency = new QLabel(QStringLiteral("EUR"));
    lbMwSt_included = new QLabel;
    RecordIndexDisplay = new QLabel;
    auto* priceRow = new QHBoxLayout;
    priceRow->addWidget(tbPreis);
    priceRow->addWidget(lbCurrency);
    priceRow->addSpacing(12);
    priceRow->addWidget(lbMwSt_included);
    priceRow->addWidget(new QLabel(QStringLiteral("MwSt.")));
    priceRow->addStretch();

    m_vatGroup = new QButtonGroup(this);
    auto* vatRow = new QHBoxLayout;
    const std::array<QString, 3> vatCaptions = {QStringLiteral("voll"), QStringLiteral("reduz."), QStringLiteral("keine")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(vatCaptions[static_cast<size_t>(i)]);
        optMwSt[static_cast<size_t>(i)] = option;
        m_vatGroup->addButton(option, i);
        vatRow->addWidget(option);
    }
    cmdMehrwertsteuer = new QPushButton(QStringLiteral("MwSt"));
    vatRow->addStretch();
    vatRow->addWidget(cmdMehrwertsteuer);

    auto* entry = new QGroupBox(QStringLiteral("Hotelleistung"));
    auto* form = new QFormLayout(entry);
    form->addRow(QStringLiteral("Nr.:"), RecordIndexDisplay);
    form->addRow(QStringLiteral("Beschreibung:"), tbBeschreibung);
    form->addRow(QStringLiteral("Notizen:"), tbComment);
    form->addRow(QStringLiteral("Preis:"), priceRow);
    form->addRow(QStringLiteral("Mehrwertsteuer:"), vatRow);

    btnNeu = new QPushButton(QStringLiteral("&Neu"));
    btnNeu->setToolTip(QStringLiteral("Neue Hotelleistung anlegen"));
    cmdSave = new QPushButton(QStringLiteral("&Speichern"));
    cmdSave->setToolTip(QStringLiteral("Hotelleistung speichern"));
    btnDelete = new QPushButton(QStringLiteral("&Löschen"));
    btnDelete->setToolTip(QStringLiteral("Hotelleistung löschen"));
    btnCopy = new QPushButton(QStringLiteral("&Duplizieren"));
    btnCopy->setToolTip(QStringLiteral("Hotelleistung duplizieren"));
    // Duplicating has no behaviour of its own yet; the button is not offered.
    btnCopy->hide();
    btnListUpdate = new QPushButton(QStringLiteral("Liste ak&tualisieren"));
    btnListUpdate->setToolTip(QStringLiteral("Liste aktualisieren !"));
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addWidget(btnNeu);
    entryButtons->addWidget(cmdSave);
    entryButtons->addWidget(btnDelete);
    entryButtons->addWidget(btnCopy);
    entryButtons->addStretch();

    auto* handOver = new QGroupBox(QStringLiteral("In die Rechnung übernehmen"));
    auto* handOverLayout = new QHBoxLayout(handOver);
    tbMenge = new QLineEdit(QStringLiteral("1"));
    tbMenge->setAlignment(Qt::AlignRight);
    tbMenge->setMaximumWidth(70);
    btnMenge[0] = new QPushButton(QStringLiteral("+"));
    btnMenge[0]->setToolTip(QStringLiteral("Menge erhöhen"));
    btnMenge[1] = new QPushButton(QStringLiteral("-"));
    btnMenge[1]->setToolTip(QStringLiteral("Menge verringern"));
    for (QPushButton* b : btnMenge)
        b->setFixedWidth(28);
    btnZurRechnung = new QPushButton(QStringLiteral("in die &Rechnung"));
    btnZurRechnung->setToolTip(QStringLiteral("Hotelleistung in die Rechnung übernehmen"));
    handOverLayout->addWidget(new QLabel(QStringLiteral("Menge:")));
    handOverLayout->addWidget(tbMenge);
    handOverLayout->addWidget(btnMenge[0]);
    handOverLayout->addWidget(btnMenge[1]);
    handOverLayout->addStretch();
    handOverLayout->addWidget(btnZurRechnung);

    auto* right = new QVBoxLayout;
    right->addWidget(entry);
    right->addLayout(entryButtons);
    right->addWidget(handOver);
    right->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(listArtikel, 1);
    left->addWidget(btnListUpdate);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);
    resize(760, 420);

    // Escape closes the window as the close box does, like the booking and address windows.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    connect(listArtikel, &QListWidget::currentRowChanged, this, [this] { listArtikel_Click(); });
    connect(listArtikel, &QListWidget::itemDoubleClicked, this, &frmServices::listArtikel_DblClick);
    connect(tbBeschreibung, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!FillingLists)
            m_catalogue.editName(t);
    });
    connect(tbComment, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!FillingLists)
            m_catalogue.editInfo(t);
    });
    connect(tbPreis, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (!FillingLists)
            m_catalogue.editPrice(t);
    });
    connect(m_vatGroup, &QButtonGroup::idClicked, this, [this](int id) {
        if (!FillingLists)
            m_catalogue.chooseVat(id);
    });
    // Enter and leaving trim the texts.
    connect(tbBeschreibung, &QLineEdit::editingFinished, this, [this] {
        m_catalogue.trimName();
        showEntry();
    });
    connect(tbComment, &QLineEdit::editingFinished, this, [this] {
        m_catalogue.trimInfo();
        showEntry();
    });
    // Leaving them by focus is seen in eventFilter.
    connect(tbMenge, &QLineEdit::returnPressed, this, &frmServices::tbMenge_LostFocus);
    connect(tbPreis, &QLineEdit::returnPressed, this, &frmServices::tbPreis_LostFocus);
    tbMenge->installEventFilter(this);
    tbPreis->installEventFilter(this);
    connect(btnNeu, &QPushButton::clicked, this, &frmServices::btnNeu_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmServices::cmdSave_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmServices::btnDelete_Click);
    connect(btnListUpdate, &QPushButton::clicked, this, &frmServices::btnListUpdate_Click);
    for (int i = 0; i < 2; ++i)
        connect(btnMenge[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { btnMenge_Click(i); });
    connect(btnZurRechnung, &QPushButton::clicked, this, &frmServices::btnZurRechnung_Click);
    connect(cmdMehrwertsteuer, &QPushButton::clicked, this, &frmServices::cmdMehrwertsteuer_Click);
}

void frmServices::Form_Load()
{
    lbMwSt_included->setText(MwStIncluded ? QStringLiteral("inkl.") : QStringLiteral("zzgl."));
    fillList(-1);
    showEntry();
}

void frmServices::ShowArtikel(qint32 serviceId, qint32, qint32)
{
    RunHandler(QStringLiteral("ShowArtikel"), [this, serviceId] {
        ShowForm(this);
        {
            const FillingListsGuard filling;
            const QSignalBlocker quiet(listArtikel);
            SelectListItemByItemData(listArtikel, serviceId, -1);
        }
        if (serviceId >= 1 && !m_catalogue.offerSave())
            return;
        m_catalogue.load(serviceId);
        showEntry();
        SelectArtikelInList();
    });
}

void frmServices::fillList(qint32 selectId)
{
    const FillingListsGuard filling;
    const QSignalBlocker quiet(listArtikel);
    FillListFromTable(listArtikel, QStringLiteral("tbl_services"), QStringLiteral("srv_id"), QStringLiteral("srv_name"), 0,
                      selectId, QString());
}

void frmServices::SelectArtikelInList()
{
    const FillingListsGuard filling;
    const QSignalBlocker quiet(listArtikel);
    SelectListItemByItemData(listArtikel, m_catalogue.CurrentServiceId, -1);
}

void frmServices::showEntry()
{
    const FillingListsGuard filling;
    const QSignalBlocker b1(tbBeschreibung);
    const QSignalBlocker b2(tbComment);
    const QSignalBlocker b3(tbPreis);
    const QSignalBlocker b4(tbMenge);
    tbBeschreibung->setText(m_catalogue.Name);
    tbComment->setText(m_catalogue.Info);
    tbPreis->setText(m_catalogue.PriceText);
    tbMenge->setText(m_catalogue.QuantityText);
    RecordIndexDisplay->setText(m_catalogue.IdText);
    m_vatGroup->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        optMwSt[static_cast<size_t>(i)]->setChecked(m_catalogue.VatOption == i);
    m_vatGroup->setExclusive(true);
}

void frmServices::listArtikel_Click()
{
    if (FillingLists)
        return;
    QListWidgetItem* item = listArtikel->currentItem();
    if (!item)
        return;
    RunHandler(QStringLiteral("listArtikel_Click"), [this, item] {
        const qint32 id = item->data(Qt::UserRole).toInt();
        if (id == m_catalogue.CurrentServiceId)
            return;
        if (!m_catalogue.offerSave()) {
            SelectArtikelInList();
            return;
        }
        m_catalogue.load(id);
        showEntry();
        SelectArtikelInList();
    });
}

void frmServices::listArtikel_DblClick(QListWidgetItem* item)
{
    if (!item)
        return;
    RunHandler(QStringLiteral("listArtikel_DblClick"), [this, item] {
        const qint32 id = item->data(Qt::UserRole).toInt();
        if (id != m_catalogue.CurrentServiceId) {
            m_catalogue.load(id);
            showEntry();
        }
    });
    btnZurRechnung_Click();
}

void frmServices::btnNeu_Click()
{
    RunHandler(QStringLiteral("btnNeu_Click"), [this] {
        // An entry typed and not saved is not cleared away unasked.
        const bool hadChanges = m_catalogue.Changed;
        if (!m_catalogue.offerSave()) {
            showEntry();
            return;
        }
        if (hadChanges && !m_catalogue.Changed)
            fillList(m_catalogue.CurrentServiceId);
        m_catalogue.startNew();
        showEntry();
        SelectArtikelInList();
        tbBeschreibung->setFocus();
    });
}

void frmServices::cmdSave_Click()
{
    RunHandler(QStringLiteral("cmdSave_Click"), [this] {
        const bool saved = m_catalogue.SaveArtikel();
        showEntry();
        if (saved)
            fillList(m_catalogue.CurrentServiceId);
    });
}

void frmServices::btnDelete_Click()
{
    RunHandler(QStringLiteral("btnDelete_Click"), [this] {
        if (!m_catalogue.deleteCurrent())
            return;
        showEntry();
        fillList(-1);
    });
}

void frmServices::btnListUpdate_Click()
{
    RunHandler(QStringLiteral("btnListUpdate_Click"), [this] {
        fillList(-1);
        SelectArtikelInList();
    });
}

void frmServices::btnMenge_Click(int index)
{
    m_catalogue.QuantityText = tbMenge->text();
    m_catalogue.stepMenge(index);
    showEntry();
}

void frmServices::tbMenge_LostFocus()
{
    m_catalogue.QuantityText = tbMenge->text();
    m_catalogue.checkMenge(m_endingUnattended);
    showEntry();
}

void frmServices::tbPreis_LostFocus()
{
    m_catalogue.checkPreis(m_endingUnattended);
    showEntry();
}

void frmServices::btnZurRechnung_Click()
{
    RunHandler(QStringLiteral("btnZurRechnung_Click"), [this] {
        m_catalogue.QuantityText = tbMenge->text();
        const std::optional<ServiceHandOver> h = m_catalogue.handOver(InvoiceFormOpen && frmRechnung::isLoaded());
        showEntry();
        if (!h)
            return;
        SelectArtikelInList();
        frmRechnung::instance().AddEntryToTable(h->quantity, h->text, h->price, h->serviceId, h->vatClass);
    });
}

void frmServices::cmdMehrwertsteuer_Click()
{
    RunHandler(QStringLiteral("cmdMehrwertsteuer_Click"), [] {
        if (AdminPasswordActive && !CheckAdminPassword(true))
            return;
        ShowRessources(QStringLiteral("tbl_vat"), QStringLiteral("Mehrwertsteuer"));
    });
}

bool frmServices::Form_Unload()
{
    QWidget* focused = isVisible() ? focusWidget() : nullptr;
    if (focused)
        focused->clearFocus();
    if (!m_catalogue.offerSave()) {
        // Back on the entry, the keyboard where it was.
        if (focused)
            focused->setFocus();
        return false;
    }
    LastDeactivatedForm = WindowName;
    hide();
    return true;
}

void frmServices::closeEvent(QCloseEvent* event)
{
    event->ignore();
    RunHandler(QStringLiteral("Form_Unload"), [this] { Form_Unload(); });
}

bool frmServices::eventFilter(QObject* watched, QEvent* event)
{
    // Another window, a popup or a box coming up is no leaving of the field:
    // a refusal would stand over a window the user did not ask about.
    if (event->type() == QEvent::FocusOut && (watched == tbMenge || watched == tbPreis)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == tbMenge)
                tbMenge_LostFocus();
            else
                tbPreis_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmServices::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        LastDeactivatedForm = WindowName;
    QWidget::changeEvent(event);
}
