#include "invoicing/invoice.h"

#include "core/address.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/invoices.h"
#include "core/messages.h"
#include "core/notices.h"
#include "core/preferences.h"
#include "core/services.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QRegularExpression>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

namespace {

const QString OwnTextMarker = QStringLiteral(" ~");

QString unknownArticleText(qint32 prodId)
{
    return QStringLiteral("- - - (unbekannter Artikel : ") + QString::number(prodId) + QLatin1Char(')');
}

// The text a position shows for what is stored: its own text, the service's
// name, or the note that the article is unknown. A stored text equal to the
// service's name is no text of its own.
void applyStoredText(InvoicePosition& p, const QString& storedText)
{
    p.ownText = !storedText.isEmpty() && !(p.hasService && storedText == p.serviceName);
    p.text = p.ownText ? storedText : p.serviceName;
    if (rt::trim(p.text).isEmpty())
        p.text = unknownArticleText(p.articleId);
}

QString taxText(const std::optional<int>& tax)
{
    return tax ? QString::number(*tax) : QString();
}

// Whole numbers only: a quantity is stored as one, and what is shown must be
// what is stored.
std::optional<int> parseQuantity(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    static const QRegularExpression whole(QStringLiteral("^[+-]?\\d{1,9}$"));
    if (!whole.match(t).hasMatch())
        return std::nullopt;
    const int value = t.toInt();
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return value;
}

// "Frühstück": how a question or a notice names a position.
QString quotedText(const InvoicePosition& p)
{
    return QStringLiteral("\"") + rt::trim(p.text) + QStringLiteral("\"");
}

// What leaving a quantity or price cell says of a text that cannot be read.
QString cellRefusal(int column)
{
    return column == ColMng ? QStringLiteral("Bitte geben Sie die Menge als ganze Zahl zwischen -32768 und 32767 ein.")
                            : QStringLiteral("Bitte geben Sie den Preis als Betrag ein, zum Beispiel 12,50.");
}

std::optional<qint32> chosenOf(qint32 stored, const std::vector<qint32>& ids)
{
    if (std::find(ids.begin(), ids.end(), stored) != ids.end())
        return stored;
    if (!ids.empty())
        return ids.front();
    return std::nullopt;
}

}  // namespace

int InvoicePosition::vatClass() const
{
    return vatId.isEmpty() ? 0 : static_cast<int>(rt::val(vatId));
}

std::optional<Cents> InvoicePosition::total() const
{
    if (quantityUnreadable || priceUnreadable)
        return std::nullopt;
    return price * quantity;
}

QString InvoicePosition::displayText() const
{
    return ownText ? text + OwnTextMarker : text;
}

std::optional<InvoiceTotals> ComputeTotals(const std::vector<InvoicePosition>& positions,
                                           std::optional<double> rateFull, std::optional<double> rateReduced,
                                           bool pricesIncludeVat)
{
    Cents full = 0;
    Cents reduced = 0;
    Cents none = 0;
    for (const InvoicePosition& p : positions) {
        const std::optional<Cents> total = p.total();
        if (!total || p.classUnreadable)
            return std::nullopt;
        switch (p.vatClass()) {
        case 0:
            if (!rateFull)
                return std::nullopt;
            full += *total;
            break;
        case 1:
            if (!rateReduced)
                return std::nullopt;
            reduced += *total;
            break;
        default: none += *total; break;
        }
    }
    InvoiceTotals t;
    t.sum = full + reduced + none;
    // A rate no position needs counts for nothing.
    const qint64 r1 = RateBasisPoints(rateFull.value_or(0));
    const qint64 r2 = RateBasisPoints(rateReduced.value_or(0));
    if (pricesIncludeVat) {
        t.vatFull = ShareOf(full, r1, 10000 + r1);
        t.vatReduced = ShareOf(reduced, r2, 10000 + r2);
        t.gross = t.sum;
        t.net = t.sum - t.vatFull - t.vatReduced;
    } else {
        t.vatFull = ShareOf(full, r1, 10000);
        t.vatReduced = ShareOf(reduced, r2, 10000);
        t.net = t.sum;
        t.gross = t.sum + t.vatFull + t.vatReduced;
    }
    return t;
}

InvoicePosition PositionOf(const InvoicePositionRow& row)
{
    InvoicePosition p;
    p.ivpId = row.ivp_id;
    p.quantity = row.ivp_quantity;
    p.price = CentsOf(row.ivp_price);
    p.articleId = row.ivp_prod_id;
    p.hasService = row.hasService;
    p.serviceName = row.srv_name;
    p.vatId = taxText(row.srv_tax_id);
    p.loaded = row.row;
    p.quantityUnreadable = row.quantityUnreadable;
    p.priceUnreadable = row.priceUnreadable;
    p.classUnreadable = row.taxUnreadable;
    applyStoredText(p, row.ivp_text);
    return p;
}

InvoiceGrossRule StoredGrossRule()
{
    return [](const std::vector<InvoicePositionRow>& rows, const rt::Date& day) -> std::optional<double> {
        std::optional<double> full;
        std::optional<double> reduced;
        // Inside the write's transaction: no message may hold the lock.
        if (!LookupMehrwertsteuer(day, full, reduced))
            return std::nullopt;
        std::vector<InvoicePosition> positions;
        positions.reserve(rows.size());
        for (const InvoicePositionRow& row : rows)
            positions.push_back(PositionOf(row));
        const std::optional<InvoiceTotals> totals = ComputeTotals(positions, full, reduced, MwStIncluded);
        if (!totals)
            return std::nullopt;
        return AmountOf(totals->gross);
    };
}

QString InvoiceNumber(const QString& dateText, qint32 invId)
{
    return dateText.right(4) + QString::number(invId).rightJustified(6, QLatin1Char('0'));
}

QString InvoiceListEntry(const InvoiceListRow& row)
{
    QString entry = row.inv_is_sent ? QStringLiteral("/ ") : QStringLiteral("   ");
    entry += row.inv_date ? rt::formatDate(*row.inv_date, DateFormat) + QStringLiteral("  ") : QStringLiteral("??.??.??   ");
    const QString status = rt::trim((row.ivs_name.isEmpty() ? QStringLiteral("**********") : row.ivs_name).left(8));
    entry += status + QString(3 * std::max<qsizetype>(0, 8 - status.size()), QLatin1Char(' ')) + QStringLiteral("  ");
    QString name = row.cust_company;
    const bool person = !row.cust_lastname.isEmpty() || !row.cust_firstname.isEmpty();
    if (!row.cust_company.isEmpty() && person)
        name += QStringLiteral(" / ");
    name += row.cust_lastname;
    if (!row.cust_firstname.isEmpty())
        name += QStringLiteral(", ") + row.cust_firstname;
    return entry + (rt::trim(name).isEmpty() ? TextUnnamed : name);
}

rt::Date InvoiceListSince(const rt::Date& today)
{
    return today.datePart().addMonths(-90);
}

// --- opening, loading, clearing ---------------------------------------------

void InvoiceSession::clearFields(bool lookupToday)
{
    const std::vector<qint32> states = InvoiceStatusIds();
    StatusId = states.empty() ? 0 : states.front();
    PaymodeId.reset();
    Positions.clear();
    AddressText.clear();
    Notes.clear();
    DateRangeText.clear();
    StatusLine.clear();
    InvoiceAddress = CustomerAddress();
    DateText = rt::formatDate(rt::Date::today(), DateFormat);
    m_completedDate = DateText;
    Paid = false;
    NumberText = QStringLiteral("* ") + GetResString(308);
    m_loadedHeader.clear();
    m_baseHeader.clear();
    m_unwrittenHeader.clear();
    m_unwrittenPositions.clear();
    m_waitsForDesk = false;
    m_typed.clear();
    m_toldTotals.reset();
    m_dateUnreadable = false;
    m_named.clear();
    // Each invoice reads its rates afresh: the VAT table may have changed.
    m_ratesDay.reset();
    VatFull.reset();
    VatReduced.reset();
    m_noVatPeriod = false;
    m_ratesFailed = false;
    if (lookupToday)
        applyRates(rt::Date::today());
    CalculateTotals();
}

void InvoiceSession::noInvoice()
{
    clearFields(false);
    CurrentInvoiceId = -1;
    CustomerId = -1;
    BookingId = -1;
    Changed = false;
    RowMissing = false;
}

void InvoiceSession::show(qint32 invId, qint32 custId, qint32 bookingId)
{
    CustomerId = custId;
    BookingId = bookingId;
    if (invId > 0) {
        LoadInvoice(invId);
        return;
    }
    if (!CreateNewInvoice()) {
        noInvoice();
        return;
    }
}

bool InvoiceSession::CreateNewInvoice()
{
    if (RefuseReadOnly(ui::Critical))
        return false;
    // Another workstation may have switched the VAT mode since this one started.
    ReadMwStIncluded();
    // Named once the new invoice has its number.
    const QScopedValueRollback hold(m_holdNames, true);
    clearFields(true);
    CurrentInvoiceId = -1;
    RowMissing = false;
    CurrentInvoiceId = CreateInvoice();
    // No base: everything the first save writes is this window's.
    m_loadedHeader = ReadInvoiceRow(CurrentInvoiceId).value_or(RowValues());
    NumberText = InvoiceNumber(DateText, CurrentInvoiceId);
    // A new invoice of the customer shown so far is that customer's.
    if (CustomerId > 0)
        AddressText = GetCustomerAddress(0, InvoiceAddress, QStringLiteral("tbl_customers"), CustomerId);
    DateRangeText = GetBookingPeriodText(BookingId);
    // Set, so that leaving it untouched drops the empty row again.
    Changed = true;
    m_holdNames = false;
    nameUnreadable();
    return true;
}

void InvoiceSession::LoadInvoice(qint32 invId)
{
    if (invId <= 0)
        return;
    ui::WaitCursor wait;
    ReadMwStIncluded();
    // What cannot be read is named once, when all of it is read.
    const QScopedValueRollback hold(m_holdNames, true);
    clearFields(false);
    CurrentInvoiceId = invId;
    RowMissing = false;
    const std::optional<RowValues> row = ReadInvoiceRow(invId);
    if (!row) {
        if (!Unattended)
            ui::msgBox(QStringLiteral("Eventuell wurde diese Rechnung zwischenzeitlich von einem anderen Mitarbeiter "
                                      "gelöscht. Aktualisieren Sie Ihre Suchergebnisse, indem Sie auf \"Liste "
                                      "aktualisieren\" klicken."),
                       ui::Information,
                       QStringLiteral("Rechnung ") + QString::number(invId) + QStringLiteral(" nicht gefunden"));
        applyRates(rt::Date::today());
        // The cleared fields count as a new invoice: stored anew by its next
        // save or position write, dropped unasked when left empty. Nothing
        // ever goes under the old id, nor do positions left there.
        RowMissing = true;
        // A read-only workstation has nothing to store, so nothing to ask.
        Changed = !StationReadOnly;
        CustomerId = -1;
        BookingId = -1;
        StatusLine = QStringLiteral("Diese Rechnung enthält noch keine Artikel.");
        return;
    }
    takeHeaderRow(*row, {});
    loadPositions();
    // Only what the user changes from here on needs saving.
    Changed = false;
    m_holdNames = false;
    nameUnreadable();
}

void InvoiceSession::takeHeaderRow(const RowValues& row, const QStringList& keepOwn)
{
    const auto take = [&keepOwn](const char* column) { return !keepOwn.contains(QString::fromLatin1(column)); };
    const InvoiceHeader h = InvoiceHeaderFromRow(row);
    if (take("inv_customer_id")) {
        CustomerId = h.inv_customer_id;
        AddressText = GetCustomerAddress(0, InvoiceAddress, QStringLiteral("tbl_customers"), CustomerId);
    }
    if (take("inv_booking_id")) {
        BookingId = h.inv_booking_id;
        DateRangeText = GetBookingPeriodText(BookingId);
    }
    std::optional<rt::Date> day = DateOfInput(DateText);
    if (take("inv_date")) {
        day = h.inv_date;
        DateText = h.inv_date ? rt::formatDate(*h.inv_date, DateFormat) : QString();
        m_completedDate = DateText;
        m_dateUnreadable = h.inv_date_unreadable;
        // No number from a date that cannot be read: it waits for one typed.
        NumberText = m_dateUnreadable ? QString() : InvoiceNumber(DateText, CurrentInvoiceId);
    }
    applyRates(day.value_or(rt::Date::today()));
    if (take("inv_status_id"))
        StatusId = chosenOf(h.inv_status_id, InvoiceStatusIds()).value_or(0);
    // No mode stored (or one the table no longer has): none chosen, so the
    // document prints none and the user's first choice is written.
    if (take("inv_paymode_id")) {
        const std::vector<qint32> modes = PaymodeIds();
        PaymodeId.reset();
        if (std::find(modes.begin(), modes.end(), h.inv_paymode_id) != modes.end())
            PaymodeId = h.inv_paymode_id;
    }
    if (take("inv_is_payed"))
        Paid = h.inv_is_payed;
    if (take("inv_notes"))
        Notes = h.inv_notes;

    // What is kept unwritten still counts as this window's change against
    // what it read before, so a later store again does not write it unasked.
    const RowValues loadedBefore = m_loadedHeader;
    const RowValues baseBefore = m_baseHeader;
    m_loadedHeader = row;
    m_baseHeader = InvoiceHeaderColumns(headerToWrite());
    for (const QString& column : keepOwn) {
        m_loadedHeader.insert(column, loadedBefore.value(column));
        if (baseBefore.contains(column))
            m_baseHeader.insert(column, baseBefore.value(column));
        else
            m_baseHeader.remove(column);
    }
    m_unwrittenHeader = keepOwn;
}

void InvoiceSession::loadPositions()
{
    // Without its row the invoice has only the positions shown.
    if (RowMissing)
        return;
    ui::WaitCursor wait;
    Positions.clear();
    PositionsStale = false;
    StatusLine = QStringLiteral("Artikel suchen...");
    const std::vector<InvoicePositionRow> rows = LoadInvoicePositions(CurrentInvoiceId);
    for (const InvoicePositionRow& row : rows)
        Positions.push_back(PositionOf(row));
    StatusLine = rows.empty() ? QStringLiteral("Diese Rechnung enthält noch keine Artikel.") : QString();
    refreshRates();
}

bool InvoiceSession::readStoredPositions()
{
    if (!hasInvoice() || RowMissing)
        return false;
    std::vector<InvoicePosition> stored;
    for (const InvoicePositionRow& row : LoadInvoicePositions(CurrentInvoiceId))
        stored.push_back(PositionOf(row));
    if (stored.empty() && !ReadInvoiceRow(CurrentInvoiceId))
        return false;
    const auto same = [](const InvoicePosition& a, const InvoicePosition& b) {
        return a.ivpId == b.ivpId && a.quantity == b.quantity && a.price == b.price && a.displayText() == b.displayText()
               && a.articleId == b.articleId && a.vatId == b.vatId && a.quantityUnreadable == b.quantityUnreadable
               && a.priceUnreadable == b.priceUnreadable && a.classUnreadable == b.classUnreadable;
    };
    refreshRates();
    if (std::equal(stored.begin(), stored.end(), Positions.begin(), Positions.end(), same))
        return false;
    Positions = std::move(stored);
    PositionsStale = false;
    StatusLine = Positions.empty() ? QStringLiteral("Diese Rechnung enthält noch keine Artikel.") : QString();
    CalculateTotals();
    return true;
}

// --- leaving ------------------------------------------------------------------

RowValues InvoiceSession::shownInvoice() const
{
    RowValues shown;
    for (const QString& column : InvoiceShownColumns())
        shown.insert(column, m_loadedHeader.value(column));
    std::vector<RowValues> positions;
    for (const InvoicePosition& p : Positions)
        positions.push_back(p.loaded);
    shown.insert(PositionsColumn, ShownPositionsValue(positions));
    return shown;
}

bool InvoiceSession::hasStoredPositions() const
{
    return !RowMissing && !LoadInvoicePositions(CurrentInvoiceId).empty();
}

InvoiceSession::Drop InvoiceSession::drop(bool unattended)
{
    try {
        if (!RowMissing) {
            const QString rowName = QStringLiteral("Die Rechnung ") + invoiceRef(false);
            const DeleteResult result =
                DeleteShownInvoice(CurrentInvoiceId, shownInvoice(), [&](const RowValues&, const RowMerge& sinceShown) {
                    // As shown: the user's answer or the rule has decided.
                    if (sinceShown.kept.isEmpty())
                        return true;
                    return !unattended && AskDeleteClash(rowName, InvoiceDeleteFields(), sinceShown) == ClashChoice::Mine;
                });
            if (result == DeleteResult::Cancelled)
                return Drop::Kept;
        }
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Löschen der Rechnung\n\n") + e.description(), ui::Exclamation,
                   QStringLiteral("Fehler ") + QString::number(e.number()));
        return Drop::Failed;
    }
    noInvoice();
    return Drop::Dropped;
}

SaveResult InvoiceSession::SaveInvoice(bool unattended)
{
    unattended = unattended || Unattended;
    // Nothing below may ask or tell while nobody is there.
    const QScopedValueRollback nobodyAsked(Unattended, unattended);
    if (!hasInvoice() || !Changed) {
        // Saving is also how the user lets go of a position value left unwritten.
        if (!unattended)
            m_unwrittenPositions.clear();
        return SaveResult::Unchanged;
    }
    if (StationReadOnly) {
        if (!unattended)
            ui::msgBox(GetResString(390), ui::Information, AppTitle);
        return SaveResult::ReadOnly;
    }
    // Escape is no answer to the question: it goes back to the invoice.
    const auto keep = [unattended](const QString& question) {
        return unattended ? ui::Answer::Yes
                          : ui::msgBox(question, ui::YesNo | ui::EscapeGoesBack, QStringLiteral("Rechnung gültig?"));
    };
    ui::Answer kept = ui::Answer::Yes;
    if (CustomerId < 1) {
        // Positions stored elsewhere meanwhile are named by the drop's comparison.
        kept = Positions.empty()
                   ? ui::Answer::No
                   : keep(QStringLiteral("Die Rechnung ") + invoiceRef(true)
                          + QStringLiteral(" enthält keinen Empfänger. Soll diese Rechnung trotzdem erhalten bleiben?"));
    } else if (Positions.empty() && !hasStoredPositions()) {
        kept = keep(QStringLiteral("Die Rechnungstabelle enthält keine Artikel. Soll diese Rechnung trotzdem erhalten bleiben?"));
    }
    if (kept == ui::Answer::Back)
        return SaveResult::Back;
    bool keptChanged = false;
    if (kept != ui::Answer::Yes) {
        switch (drop(unattended)) {
        case Drop::Dropped: return SaveResult::Dropped;
        case Drop::Failed: return SaveResult::Failed;
        case Drop::Kept: break;
        }
        // Nobody to ask: what the other workstation stored stays as it is.
        if (unattended) {
            LoadInvoice(CurrentInvoiceId);
            return SaveResult::Kept;
        }
        // Nein to deleting it: kept, as a Ja to keeping it would.
        keptChanged = true;
    }

    // What is stored is what the window shows: the VAT of the date typed and
    // the VAT mode in force now.
    if (const std::optional<rt::Date> day = DateOfInput(DateText); day && !unattended)
        applyRates(*day);
    try {
        refreshRates();
        const std::optional<std::pair<Cents, Cents>> untold = untoldTotals();
        ui::WaitCursor wait;
        if (RowMissing) {
            if (!storeAnew(Positions))
                return SaveResult::Failed;
        } else {
            const qint32 before = CurrentInvoiceId;
            const RowValues changed = ChangedColumns(m_baseHeader, InvoiceHeaderColumns(headerToWrite()));
            const InvoiceWriteOutcome outcome = StoreInvoiceHeader(
                before, m_loadedHeader, changed,
                askFor(QStringLiteral("Die Rechnung ") + invoiceRef(false), InvoiceMergeFields(), unattended),
                grossRule(), agreedTotal(untold, unattended));
            if (outcome.result == InvoiceWrite::CustomerMissing) {
                recipientGone();
                return SaveResult::Failed;
            }
            if (outcome.result == InvoiceWrite::Cancelled)
                return SaveResult::Back;
            if (outcome.result == InvoiceWrite::Written) {
                // As stored, with what another workstation changed; unattended,
                // this window's values that were not written stay shown.
                takeHeaderRow(outcome.row, unattended ? outcome.notWritten : QStringList());
                loadPositions();
                // A date typed here gives the total the window showed for it:
                // what the old date's VAT would give is no news then.
                if (!unattended && !changed.contains(QStringLiteral("inv_date")))
                    tellStored(untold, outcome.row);
            }
            // Deleted meanwhile elsewhere: written again as a new invoice.
            if (outcome.result == InvoiceWrite::InvoiceMissing) {
                const QString numberBefore = invoiceRef(true);
                RowMissing = true;
                if (!storeAnew(Positions))
                    return SaveResult::Failed;
                if (!unattended)
                    tellStoredAnew(numberBefore, before);
            }
        }
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Update des Rechnungs-Datensatzes\n\n") + e.description(), ui::Information,
                   QStringLiteral("Fehler ") + QString::number(e.number()));
        return SaveResult::Failed;
    }
    Notes = rt::trim(Notes);
    Changed = !m_unwrittenHeader.isEmpty();
    if (!unattended)
        m_unwrittenPositions.clear();
    return keptChanged ? SaveResult::Kept : SaveResult::Saved;
}

bool InvoiceSession::DeleteInvoice()
{
    if (!hasInvoice() || RefuseReadOnly(ui::Critical))
        return false;
    const QString title = QStringLiteral("Rechnung ") + invoiceRef(true);
    const auto confirmed = [&title] {
        return ui::msgBox(QStringLiteral("Wirklich löschen?"), ui::OkCancel | ui::Question | ui::DefaultButton2, title)
               == ui::Answer::Ok;
    };
    if (RowMissing) {
        // Stored nowhere: only what is shown goes.
        if (!confirmed())
            return false;
        noInvoice();
        return true;
    }
    // Compared with what this window read: its header and the positions it shows.
    const QString rowName = QStringLiteral("Die Rechnung ") + invoiceRef(false);
    const DeleteResult result =
        DeleteShownInvoice(CurrentInvoiceId, shownInvoice(), [&](const RowValues&, const RowMerge& sinceShown) {
            if (sinceShown.kept.isEmpty())
                return confirmed();
            return AskDeleteClash(rowName, InvoiceDeleteFields(), sinceShown) == ClashChoice::Mine;
        });
    switch (result) {
    case DeleteResult::Cancelled:
        // Kept: its positions shown as stored; the header keeps what was typed.
        readStoredPositions();
        return false;
    case DeleteResult::Missing:
        ui::msgBox(QStringLiteral("Die Rechnung ") + invoiceRef(true)
                       + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Information, title);
        break;
    case DeleteResult::Deleted:
        break;
    }
    noInvoice();
    return true;
}

bool InvoiceSession::refuseWithoutInvoice() const
{
    if (hasInvoice())
        return false;
    ui::msgBox(QStringLiteral("Es ist keine Rechnung geöffnet. Legen Sie eine neue Rechnung an oder wählen Sie eine "
                              "Rechnung aus der Liste."),
               ui::Exclamation, AppTitle);
    return true;
}

bool InvoiceSession::takeOverCustomer(qint32 custId)
{
    if (refuseWithoutInvoice() || RefuseReadOnly(ui::Critical))
        return false;
    // Deleted elsewhere since the address book showed it, also when the
    // invoice itself is to be stored anew.
    if (custId > 0 && !LoadCustomer(custId))
        return recipientGone();
    if (CustomerId != -1 && CustomerId != custId
        && ui::msgBox(QStringLiteral("Wollen Sie ") + AccusativeOf(TermPersonSingular, TermKind::Person, Article::Definite, QStringLiteral("bisherig")) + QLatin1Char('\n')
                          + InvoiceAddress.DisplayName + QStringLiteral("\nwirklich überschreiben?"),
                      ui::OkCancel | ui::Question | ui::DefaultButton2, QStringLiteral("Rechnung"))
               != ui::Answer::Ok)
        return false;
    // Without its row the recipient goes with the invoice stored anew.
    if (!RowMissing) {
        const QString column = QStringLiteral("inv_customer_id");
        const ClashAsk ask = askFor(QStringLiteral("Die Rechnung ") + invoiceRef(false), InvoiceMergeFields(), false);
        const std::optional<std::pair<Cents, Cents>> untold = untoldTotals();
        const InvoiceWriteOutcome written = StoreInvoiceHeader(CurrentInvoiceId, m_loadedHeader, {{column, custId}},
                                                               ask, grossRule(), agreedTotal(untold, false));
        switch (written.result) {
        case InvoiceWrite::InvoiceMissing: return invoiceGone();
        case InvoiceWrite::CustomerMissing: return recipientGone();
        case InvoiceWrite::Cancelled: return false;
        default: break;
        }
        tellStored(untold, written.row);
        // Nein keeps the recipient another workstation stored.
        custId = written.row.value(column).toLong();
        m_loadedHeader.insert(column, written.row.value(column));
        m_baseHeader.insert(column, custId);
    }
    CustomerId = custId;
    AddressText = GetCustomerAddress(0, InvoiceAddress, QStringLiteral("tbl_customers"), custId);
    Changed = true;
    return true;
}

// --- positions ----------------------------------------------------------------

bool InvoiceSession::addPosition(int quantity, const QString& text, Cents price, qint32 prodId)
{
    if (refuseWithoutInvoice() || RefuseReadOnly(ui::Critical))
        return false;
    InvoicePosition p;
    p.quantity = quantity;
    p.price = price;
    p.articleId = prodId;
    // The class is the service's as stored, so the row reads the same after
    // the next load.
    if (const std::optional<Service> service = LoadService(prodId)) {
        p.hasService = true;
        p.serviceName = service->srv_name;
        p.vatId = taxText(service->srv_tax_id);
    }
    applyStoredText(p, text);
    if (RowMissing) {
        std::vector<InvoicePosition> positions = Positions;
        positions.push_back(std::move(p));
        return storeAnew(std::move(positions));
    }
    const InvoiceWriteOutcome outcome = AddInvoicePosition(rowOf(p, CurrentInvoiceId), grossRule());
    if (outcome.result == InvoiceWrite::ServiceMissing)
        return serviceGone(prodId, text);
    if (outcome.result != InvoiceWrite::Written)
        return refuseWrite(outcome.result);
    // As stored, with what other workstations added meanwhile.
    loadPositions();
    return true;
}

InvoicePosition* InvoiceSession::positionAt(int row)
{
    if (row < 0 || row >= static_cast<int>(Positions.size()))
        return nullptr;
    return &Positions[static_cast<size_t>(row)];
}

bool InvoiceSession::positionGone()
{
    if (!Unattended)
        ui::msgBox(QStringLiteral("Diese Position wurde zwischenzeitlich an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, AppTitle);
    PositionsStale = true;
    return false;
}

bool InvoiceSession::ApplyCellEdit(int row, int column, const QString& text)
{
    switch (column) {
    case ColMng: return setQuantity(row, text);
    case ColEPreis: return setPrice(row, text);
    case ColBeschreibung: return setText(row, text);
    default: return false;
    }
}

bool InvoiceSession::setQuantity(int row, const QString& text)
{
    InvoicePosition* p = positionAt(row);
    if (!p || RefuseReadOnly(ui::Critical))
        return false;
    const std::optional<int> quantity = parseQuantity(text);
    if (!quantity)
        return refuseCell(row, ColMng, text);
    forgetTyped(p->ivpId, ColMng);
    const QString column = QStringLiteral("ivp_quantity");
    if (*quantity == p->quantity && positionShownAsStored(*p, column))
        return true;
    InvoicePosition edited = *p;
    edited.quantity = *quantity;
    edited.quantityUnreadable = false;
    return storeEdit(row, edited, column);
}

bool InvoiceSession::setPrice(int row, const QString& text)
{
    InvoicePosition* p = positionAt(row);
    if (!p || RefuseReadOnly(ui::Critical))
        return false;
    const std::optional<Cents> price = ParseAmount(text);
    if (!price)
        return refuseCell(row, ColEPreis, text);
    forgetTyped(p->ivpId, ColEPreis);
    const QString column = QStringLiteral("ivp_price");
    if (*price == p->price && positionShownAsStored(*p, column))
        return true;
    InvoicePosition edited = *p;
    edited.price = *price;
    edited.priceUnreadable = false;
    return storeEdit(row, edited, column);
}

bool InvoiceSession::setText(int row, const QString& text)
{
    InvoicePosition* p = positionAt(row);
    if (!p)
        return false;
    QString newText = rt::trim(text);
    // The marker is only shown; typed at the end it stays the marker.
    if (newText.endsWith(OwnTextMarker))
        newText = rt::trim(newText.chopped(OwnTextMarker.size()));
    // An own text stored with blanks is written as typed.
    if (newText == rt::trim(p->text) && !(p->ownText && p->text != newText))
        return true;
    if (RefuseReadOnly(ui::Critical))
        return false;
    InvoicePosition edited = *p;
    applyStoredText(edited, newText);
    return storeEdit(row, edited, QStringLiteral("ivp_text"));
}

bool InvoiceSession::refuseCell(int row, int column, const QString& text)
{
    const InvoicePosition& p = Positions[static_cast<size_t>(row)];
    forgetTyped(p.ivpId, column);
    if (Unattended) {
        // Nobody to be told: the cell keeps it as typed until the user is back.
        m_typed.push_back({p.ivpId, column, text, quotedText(p)});
        return false;
    }
    ui::msgBox(cellRefusal(column), ui::Exclamation, AppTitle);
    return false;
}

void InvoiceSession::forgetTyped(qint32 ivpId, int column)
{
    std::erase_if(m_typed, [&](const TypedCell& t) { return t.ivpId == ivpId && t.column == column; });
}

std::optional<QString> InvoiceSession::typedText(int row, int column) const
{
    if (row < 0 || row >= static_cast<int>(Positions.size()))
        return std::nullopt;
    const qint32 ivpId = Positions[static_cast<size_t>(row)].ivpId;
    for (const TypedCell& t : m_typed) {
        if (t.ivpId == ivpId && t.column == column)
            return t.text;
    }
    return std::nullopt;
}

void InvoiceSession::refuseTyped()
{
    if (Unattended || m_typed.empty())
        return;
    QStringList refusals;
    for (const TypedCell& t : std::exchange(m_typed, {})) {
        if (!refusals.contains(cellRefusal(t.column)))
            refusals << cellRefusal(t.column);
    }
    for (const QString& refusal : refusals)
        ui::msgBox(refusal, ui::Exclamation, AppTitle);
}

bool InvoiceSession::storeEdit(int row, const InvoicePosition& edited, const QString& column)
{
    if (!RowMissing) {
        if (writePosition(row, edited, column))
            return true;
        // Found gone with nobody to tell: the edit stays shown with the rest.
        if (!RowMissing || !Unattended)
            return false;
    }
    std::vector<InvoicePosition> positions = Positions;
    positions[static_cast<size_t>(row)] = edited;
    return storeAnew(std::move(positions));
}

RowValues InvoiceSession::positionBase(const InvoicePosition& p, const QString& column)
{
    RowValues base = InvoicePositionColumns(rowOf(p, 0));
    // A position only shown, not read, is what it shows.
    if (!p.loaded.isEmpty())
        MendUnshown(base, p.loaded, column);
    return base;
}

bool InvoiceSession::positionShownAsStored(const InvoicePosition& p, const QString& column)
{
    return positionBase(p, column) == InvoicePositionColumns(rowOf(p, 0));
}

bool InvoiceSession::writePosition(int row, const InvoicePosition& edited, const QString& column)
{
    // A copy: while a question stands the positions may be read anew.
    const InvoicePosition p = Positions[static_cast<size_t>(row)];
    const QList<MergeField> fields = InvoicePositionMergeFields();
    const RowValues changed =
        ChangedColumns(positionBase(p, column), InvoicePositionColumns(rowOf(edited, CurrentInvoiceId)));
    const QString name = quotedText(p);
    const InvoiceWriteOutcome outcome = StorePositionChanges(
        p.ivpId, p.loaded, changed, askFor(QStringLiteral("Die Position ") + name, fields, Unattended), grossRule());
    if (outcome.result == InvoiceWrite::Cancelled)
        return false;
    if (outcome.result != InvoiceWrite::Written) {
        refuseWrite(outcome.result);
        // The position alone is gone: nobody was told, so it is named until the user saves.
        if (Unattended && !RowMissing && outcome.result == InvoiceWrite::PositionMissing) {
            for (const QString& label : FieldLabels(fields, {column}))
                m_unwrittenPositions << label + QStringLiteral(" von ") + name;
        }
        return false;
    }
    if (Unattended) {
        for (const QString& label : FieldLabels(fields, outcome.notWritten))
            m_unwrittenPositions << label + QStringLiteral(" von ") + name;
    } else {
        m_unwrittenPositions.clear();
    }
    loadPositions();
    return true;
}

bool InvoiceSession::deletePosition(int row)
{
    InvoicePosition* p = positionAt(row);
    if (!p || RefuseReadOnly(ui::Critical))
        return false;
    // Named by what it is, whichever cell the user is on.
    if (ui::msgBox(rt::trim(p->text) + QStringLiteral("\nwirklich löschen?"), ui::OkCancel | ui::Question | ui::DefaultButton2,
                   QStringLiteral("Position löschen"))
        != ui::Answer::Ok)
        return false;
    if (!RowMissing) {
        const QString name = QStringLiteral("Die Position ") + quotedText(*p);
        const ClashAsk ask = Unattended ? askFor(name, InvoicePositionMergeFields(), true)
                                        : ClashAsk([name](const RowMerge& merge) {
                                              return AskDeleteClash(name, InvoicePositionMergeFields(), merge);
                                          });
        // Copies: while the question stands the positions may be read anew.
        const qint32 ivpId = p->ivpId;
        const RowValues loaded = p->loaded;
        const InvoiceWrite deleted = DeleteInvoicePosition(ivpId, loaded, ask, grossRule());
        // Kept: shown as another workstation stored it.
        if (deleted == InvoiceWrite::Cancelled) {
            loadPositions();
            return false;
        }
        if (deleted != InvoiceWrite::PositionMissing || ReadInvoiceRow(CurrentInvoiceId)) {
            loadPositions();
            return true;
        }
        invoiceGone();   // the rest shown is stored anew, not dropped unseen
    }
    // Without the invoice's row only the shown position goes.
    Positions.erase(Positions.begin() + row);
    if (Positions.empty())
        StatusLine = QStringLiteral("Diese Rechnung enthält noch keine Artikel.");
    CalculateTotals();
    return true;
}

// --- writes that find rows gone -------------------------------------------------

InvoiceGrossRule InvoiceSession::grossRule() const
{
    return StoredGrossRule();
}

InvoiceHeaderWrite InvoiceSession::headerToWrite() const
{
    InvoiceHeaderWrite header;
    header.inv_date = DateOfInput(DateText);
    if (StatusId > 0)
        header.inv_status_id = StatusId;
    header.inv_paymode_id = PaymodeId;
    header.inv_mandant_id = MandantId;
    header.inv_booking_id = BookingId;
    header.inv_customer_id = CustomerId;
    header.inv_notes = rt::trim(Notes);
    header.inv_is_payed = Paid;
    return header;
}

InvoicePositionRow InvoiceSession::rowOf(const InvoicePosition& p, qint32 invId)
{
    InvoicePositionRow row;
    row.ivp_invoice_id = invId;
    row.ivp_prod_id = p.articleId;
    row.ivp_quantity = p.quantity;
    row.ivp_price = AmountOf(p.price);
    row.ivp_text = p.ownText ? p.text : QString();
    return row;
}

bool InvoiceSession::storeAnew(const std::vector<InvoicePosition>& positions)
{
    // Nobody here to be told its new number: it waits, shown and named, for
    // the user to store it or let it go.
    if (Unattended) {
        Positions = positions;
        CalculateTotals();
        m_waitsForDesk = true;
        return false;
    }
    // A quantity or price that cannot be read is stored as nothing else: the
    // invoice waits, showing what the user typed, until each is typed anew.
    if (std::any_of(positions.begin(), positions.end(),
                    [](const InvoicePosition& p) { return p.quantityUnreadable || p.priceUnreadable; })) {
        Positions = positions;
        CalculateTotals();
        if (!Unattended)
            ui::msgBox(QStringLiteral("Die Rechnung ") + invoiceRef(true)
                           + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Sie wird neu "
                                            "gespeichert, sobald jede Menge und jeder Preis ihrer Positionen gelesen "
                                            "werden kann."),
                       ui::Exclamation, AppTitle);
        return false;
    }
    std::vector<InvoicePositionRow> rows;
    rows.reserve(positions.size());
    for (const InvoicePosition& p : positions)
        rows.push_back(rowOf(p, 0));
    const qint32 before = CurrentInvoiceId;
    const QString nameBefore = goneName();
    // Nobody said it would be stored anew: the box of the load only said it
    // was gone, the end's notice that it waits.
    const bool untold = goneOnLoad() || m_waitsForDesk;
    const InvoiceWriteOutcome outcome = StoreInvoiceAnew(headerToWrite(), rows, grossRule());
    if (outcome.result == InvoiceWrite::ServiceMissing)
        return serviceGone(outcome.missingId);
    if (outcome.result != InvoiceWrite::Written)
        return refuseWrite(outcome.result);
    // The rows are stored in the order shown: a cell's typed text stays on its position.
    std::vector<qint32> oldIds;
    for (const InvoicePosition& p : positions)
        oldIds.push_back(p.ivpId);
    CurrentInvoiceId = outcome.id;
    NumberText = InvoiceNumber(DateText, outcome.id);
    m_dateUnreadable = false;
    RowMissing = false;
    // All of it is written: nothing is left to another workstation.
    m_loadedHeader = ReadInvoiceRow(outcome.id).value_or(RowValues());
    m_baseHeader = InvoiceHeaderColumns(headerToWrite());
    m_unwrittenHeader.clear();
    m_unwrittenPositions.clear();
    m_waitsForDesk = false;
    loadPositions();
    for (TypedCell& t : m_typed) {
        const auto at = std::find(oldIds.begin(), oldIds.end(), t.ivpId);
        const size_t row = static_cast<size_t>(at - oldIds.begin());
        if (at != oldIds.end() && row < Positions.size())
            t.ivpId = Positions[row].ivpId;
    }
    if (untold)
        tellStoredAnew(nameBefore, before);
    return true;
}

void InvoiceSession::tellStoredAnew(const QString& nameBefore, qint32 idBefore)
{
    ui::msgBox(QStringLiteral("Die Rechnung ") + nameBefore
                   + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Sie wurde als neue "
                                    "Rechnung Nr. ")
                   + NumberText + QStringLiteral(" gespeichert."),
               ui::Information, QStringLiteral("Rechnung ") + QString::number(idBefore) + QStringLiteral(" nicht gefunden"));
}

bool InvoiceSession::refuseWrite(InvoiceWrite result)
{
    switch (result) {
    case InvoiceWrite::InvoiceMissing:
        return invoiceGone();
    case InvoiceWrite::PositionMissing:
        // An invoice deleted elsewhere took its positions along: what is shown stays, to be stored anew.
        if (!LoadInvoiceHeader(CurrentInvoiceId))
            return invoiceGone();
        return positionGone();
    case InvoiceWrite::CustomerMissing:
        return recipientGone();
    case InvoiceWrite::ServiceMissing:
        return serviceGone(0);
    case InvoiceWrite::Cancelled:
        return false;
    case InvoiceWrite::Written:
        break;
    }
    return true;
}

bool InvoiceSession::invoiceGone()
{
    RowMissing = true;
    Changed = true;
    // Nobody to tell: UnsavedLine names it instead.
    if (Unattended) {
        m_waitsForDesk = true;
        return false;
    }
    ui::msgBox(QStringLiteral("Die Rechnung ") + invoiceRef(true)
                   + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Die Änderung wurde nicht "
                                    "gespeichert.\n\nDie Rechnung bleibt angezeigt und wird beim nächsten Speichern oder "
                                    "mit der nächsten Änderung einer Position als neue Rechnung gespeichert."),
               ui::Exclamation, QStringLiteral("Rechnung ") + QString::number(CurrentInvoiceId)
                                    + QStringLiteral(" nicht gefunden"));
    return false;
}

bool InvoiceSession::recipientGone()
{
    ui::msgBox(QStringLiteral("Die Adresse des Empfängers wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Es "
                              "wurde nichts gespeichert.\n\nBitte wählen Sie einen anderen Empfänger."),
               ui::Exclamation, QStringLiteral("Rechnung"));
    return false;
}

bool InvoiceSession::serviceGone(qint32 serviceId, const QString& name)
{
    QString shown = name;
    for (const InvoicePosition& p : Positions) {
        if (shown.isEmpty() && serviceId > 0 && p.articleId == serviceId)
            shown = p.hasService ? p.serviceName : p.text;
    }
    ui::msgBox(QStringLiteral("Die Hotelleistung") + (shown.isEmpty() ? QString() : QStringLiteral(" \"") + shown + QLatin1Char('"'))
                   + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Es wurde nichts "
                                    "gespeichert."),
               ui::Exclamation, AppTitle);
    return false;
}

// --- header edits -------------------------------------------------------------

void InvoiceSession::applyRates(const rt::Date& day)
{
    const rt::Date d = day.datePart();
    if (m_ratesDay == d)
        return;
    m_ratesDay = d;
    readRates(d);
    CalculateTotals();
}

void InvoiceSession::readRates(const rt::Date& day)
{
    const bool failedBefore = m_ratesFailed;
    try {
        lookupRates(day);
    } catch (const db::DbError& e) {
        if (Unattended)
            throw;
        // Told once while it lasts, as the error it is: the table may well
        // cover the day.
        if (!failedBefore) {
            m_named.insert(ratesFailedKey());
            ui::msgBox(QStringLiteral("Fehler in GetMehrwertsteuer\n") + e.description(), ui::Critical, AppTitle);
        }
    }
}

void InvoiceSession::lookupRates(const rt::Date& day)
{
    // Unknown until the table gives the day's, also when reading it fails:
    // never 0, never the rates of a date shown before.
    VatFull.reset();
    VatReduced.reset();
    m_noVatPeriod = false;
    m_ratesFailed = true;
    m_noVatPeriod = !LookupMehrwertsteuer(day, VatFull, VatReduced);
    m_ratesFailed = false;
}

void InvoiceSession::editDate(const QString& text)
{
    if (text == DateText)
        return;
    DateText = text;
    mendUnshown(QStringLiteral("inv_date"));
    Changed = true;
}

void InvoiceSession::completeDate(const QString& text)
{
    const QString completed = CompleteDateInput(text);
    if (completed.isEmpty()) {
        // An invoice without its date would print none.
        editDate(m_completedDate);
        ui::msgBox(QStringLiteral("Bitte geben Sie das Datum als Tag.Monat.Jahr ein, zum Beispiel ")
                       + rt::formatDate(rt::Date::today(), DateFormat) + QLatin1Char('.'),
                   ui::Exclamation, AppTitle);
        return;
    }
    editDate(completed);
    m_completedDate = completed;
    // The number is the year of the date a save would store. One shown for
    // an invoice deleted elsewhere stays that invoice's until it is stored anew.
    if (hasInvoice() && (m_dateUnreadable || !RowMissing)) {
        m_dateUnreadable = false;
        NumberText = InvoiceNumber(DateText, CurrentInvoiceId);
    }
    if (const std::optional<rt::Date> d = DateOfInput(DateText))
        applyRates(*d);
}

void InvoiceSession::fillEmptyDate()
{
    // Over a date that cannot be read only a date the user types goes.
    if (rt::trim(DateText).isEmpty() && !m_dateUnreadable)
        completeDate(rt::formatDate(rt::Date::today(), DateFormat));
}

void InvoiceSession::stepDate(int index)
{
    fillEmptyDate();
    const rt::Date day = DateOfInput(DateText).value_or(rt::Date::today().datePart());
    completeDate(rt::formatDate(day.addDays(-(2 * index - 1)), DateFormat));
}

void InvoiceSession::selectStatus(qint32 ivsId)
{
    StatusId = ivsId;
    mendUnshown(QStringLiteral("inv_status_id"));
    Changed = true;
}

void InvoiceSession::selectPaymode(qint32 paymId)
{
    PaymodeId = paymId;
    mendUnshown(QStringLiteral("inv_paymode_id"));
    Changed = true;
}

void InvoiceSession::mendUnshown(const QString& column)
{
    // A state the list does not hold shown as its first entry, a date with a
    // time of day, notes with blanks: the user's value replaces what is
    // stored, even when it is the value shown.
    MendUnshown(m_baseHeader, m_loadedHeader, column);
}

void InvoiceSession::setPaid(bool paid)
{
    Paid = paid;
    Changed = true;
}

void InvoiceSession::editNotes(const QString& text)
{
    if (text == Notes)
        return;
    Notes = text;
    mendUnshown(QStringLiteral("inv_notes"));
    Changed = true;
}

void InvoiceSession::trimNotes()
{
    Notes = rt::trim(Notes);
}

void InvoiceSession::refreshRates()
{
    // The day the rates were taken for; a date still being typed has none yet.
    if (m_ratesDay)
        readRates(*m_ratesDay);
    CalculateTotals();
}

std::optional<std::pair<Cents, Cents>> InvoiceSession::untoldTotals() const
{
    if (!hasInvoice() || RowMissing)
        return std::nullopt;
    const std::optional<RowValues> row = ReadInvoiceRow(CurrentInvoiceId);
    const db::Value stored = row ? row->value(QStringLiteral("inv_total")) : db::Value();
    if (!stored.isNumeric())
        return std::nullopt;
    // The stored rows' gross with the VAT as it is now: where the stored total
    // is that, what differs on screen is this window's own edit (a new date).
    const std::optional<rt::Date> day = TotalDayOf(InvoiceHeaderFromRow(*row));
    std::optional<double> now;
    try {
        if (day)
            now = grossRule()(LoadInvoicePositions(CurrentInvoiceId), *day);
    } catch (const db::DbError&) {
        // The VAT table cannot be read: readRates told so.
        return std::nullopt;
    }
    if (!now)
        return std::nullopt;
    const std::pair<Cents, Cents> amounts{CentsOf(stored.toDouble()), CentsOf(*now)};
    if (amounts.first == amounts.second || m_toldTotals == amounts)
        return std::nullopt;
    return amounts;
}

void InvoiceSession::tellTotals(const std::pair<Cents, Cents>& amounts, const std::optional<Cents>& stored)
{
    QString text = QStringLiteral("Für die Rechnung ") + invoiceRef(true)
                   + (stored ? QStringLiteral(" war") : QStringLiteral(" ist")) + QStringLiteral(" ein Bruttobetrag von ")
                   + FormatCents(amounts.first)
                   + QStringLiteral(" € gespeichert. Mit der Mehrwertsteuer, die jetzt für ihr Datum gilt, ergeben ihre "
                                    "Positionen ")
                   + FormatCents(amounts.second) + QStringLiteral(" €.\n\n");
    if (stored)
        text += QStringLiteral("Gespeichert ist jetzt der Bruttobetrag, den die Rechnung zeigt: ") + FormatCents(*stored)
                + QStringLiteral(" €.");
    else
        text += QStringLiteral("Die Rechnung zeigt und druckt den neuen Betrag.")
                + (StationReadOnly ? QString()
                                   : QStringLiteral(" Gespeichert wird er mit der nächsten Änderung der Rechnung oder mit "
                                                    "dem Word-Dokument."));
    ui::msgBox(text, ui::Information, QStringLiteral("Bruttobetrag geändert"));
    m_toldTotals = amounts;
}

std::optional<double> InvoiceSession::agreedTotal(const std::optional<std::pair<Cents, Cents>>& untold,
                                                  bool unattended) const
{
    if (!Totals || (untold && unattended))
        return std::nullopt;
    return AmountOf(Totals->gross);
}

void InvoiceSession::tellStored(const std::optional<std::pair<Cents, Cents>>& untold, const RowValues& row)
{
    if (!untold)
        return;
    const db::Value total = row.value(QStringLiteral("inv_total"));
    const bool storedNow = total.isNumeric() && CentsOf(total.toDouble()) != untold->first;
    tellTotals(*untold, storedNow ? std::optional<Cents>(CentsOf(total.toDouble())) : std::nullopt);
}

void InvoiceSession::TellStoredTotal()
{
    if (const std::optional<std::pair<Cents, Cents>> untold = untoldTotals())
        tellTotals(*untold, std::nullopt);
}

bool InvoiceSession::storeShownTotal()
{
    // Without a total shown there is none to store.
    if (!hasInvoice() || RowMissing || StationReadOnly || !Totals)
        return true;
    std::vector<RowValues> shown;
    for (const InvoicePosition& p : Positions)
        shown.push_back(p.loaded);
    if (StorePrintedTotal(CurrentInvoiceId, shown, m_ratesDay, AmountOf(Totals->gross), grossRule()))
        return true;
    // Deleted meanwhile: nothing to store the total with; its next save says
    // so and stores it anew.
    if (!ReadInvoiceRow(CurrentInvoiceId))
        return true;
    readStoredPositions();
    return false;
}

bool InvoiceSession::refuseDocument()
{
    QStringList sentences;
    for (const auto& [key, sentence] : unreadableValues()) {
        sentences << sentence;
        m_named.insert(key);
    }
    if (sentences.isEmpty())
        return false;
    ui::msgBox(QStringLiteral("Das Word-Dokument wird nicht erstellt, solange die Rechnung Angaben enthält, die nicht "
                              "gelesen werden können:\n\n")
                   + sentences.join(QStringLiteral("\n\n")),
               ui::Exclamation, QStringLiteral("Rechnung"));
    return true;
}

std::vector<std::pair<QString, QString>> InvoiceSession::unreadableValues() const
{
    std::vector<std::pair<QString, QString>> values;
    if (!hasInvoice())
        return values;
    if (m_dateUnreadable)
        values.emplace_back(QStringLiteral("datum"), QStringLiteral("Das Datum der Rechnung ") + invoiceRef(false)
                                                         + QStringLiteral(" kann nicht gelesen werden. Bitte geben Sie es "
                                                                          "neu ein."));
    const QString ofInvoice = QStringLiteral(" der Rechnung ") + invoiceRef(true);
    const QString day = m_ratesDay ? rt::formatDate(*m_ratesDay, DateFormat) : QString();
    // Of a date that cannot be read, the date is what the user mends.
    if (m_noVatPeriod && !m_dateUnreadable)
        values.emplace_back(QStringLiteral("zeitraum/") + day,
                            QStringLiteral("Für das Datum ") + day + ofInvoice
                                + QStringLiteral(" gibt es in der Tabelle \"Mehrwertsteuer\" keinen Zeitraum, der gelesen "
                                                 "werden kann. Bitte ergänzen oder berichtigen Sie die Tabelle."));
    bool fullNeeded = false;
    bool reducedNeeded = false;
    for (const InvoicePosition& p : Positions) {
        const QString key = QString::number(p.ivpId) + QLatin1Char('/');
        const QString position = QStringLiteral("Die Position ") + quotedText(p) + ofInvoice;
        if (p.quantityUnreadable)
            values.emplace_back(key + QStringLiteral("menge"),
                                position + QStringLiteral(" hat eine Menge, die nicht gelesen werden kann. Bitte geben Sie "
                                                          "sie neu ein."));
        if (p.priceUnreadable)
            values.emplace_back(key + QStringLiteral("preis"),
                                position + QStringLiteral(" hat einen Preis, der nicht gelesen werden kann. Bitte geben "
                                                          "Sie ihn neu ein."));
        if (p.classUnreadable) {
            values.emplace_back(key + QStringLiteral("mwst"),
                                position + QStringLiteral(" hat eine Mehrwertsteuer, die nicht gelesen werden kann. Bitte "
                                                          "wählen Sie sie bei der Hotelleistung \"")
                                    + rt::trim(p.serviceName) + QStringLiteral("\" neu."));
            continue;
        }
        fullNeeded = fullNeeded || p.vatClass() == 0;
        reducedNeeded = reducedNeeded || p.vatClass() == 1;
    }
    const auto rate = [&](bool needed, const std::optional<double>& value, const char* which, const QString& name) {
        if (needed && !value)
            values.emplace_back(QString::fromLatin1(which) + day,
                                QStringLiteral("Die Rechnung ") + invoiceRef(true) + QStringLiteral(" hat einen ") + name
                                    + QStringLiteral(" Mehrwertsteuersatz für den ") + day
                                    + QStringLiteral(", der nicht gelesen werden kann. Bitte geben Sie ihn unter "
                                                     "\"Mehrwertsteuer bearbeiten\" neu ein."));
    };
    if (m_ratesFailed) {
        values.emplace_back(ratesFailedKey(), QStringLiteral("Die Mehrwertsteuer für den ") + day + ofInvoice
                                                  + QStringLiteral(" konnte wegen eines Fehlers der Datenbank nicht "
                                                                   "gelesen werden."));
    } else if (!m_noVatPeriod) {
        rate(fullNeeded, VatFull, "voll/", QStringLiteral("vollen"));
        rate(reducedNeeded, VatReduced, "reduziert/", QStringLiteral("ermäßigten"));
    }
    return values;
}

QString InvoiceSession::ratesFailedKey() const
{
    return QStringLiteral("mwst-fehler/") + (m_ratesDay ? rt::formatDate(*m_ratesDay, DateFormat) : QString());
}

void InvoiceSession::nameUnreadable()
{
    if (m_holdNames)
        return;
    QStringList sentences;
    for (const auto& [key, sentence] : unreadableValues()) {
        if (m_named.contains(key))
            continue;
        m_named.insert(key);
        sentences << sentence;
    }
    // A notice of its own each time: once per showing, not once per run.
    static int notice = 0;
    if (!sentences.isEmpty())
        NoticeOnce(QStringLiteral("Rechnung/") + QString::number(++notice), sentences.join(QStringLiteral("\n\n")));
}

QString InvoiceSession::invoiceRef(bool withNr) const
{
    if (!NumberText.isEmpty())
        return (withNr ? QStringLiteral("Nr. ") : QString()) + NumberText;
    QString ref = QString::number(CurrentInvoiceId);
    if (CustomerId > 0 && LoadCustomer(CustomerId))
        ref += QStringLiteral(" für \"") + GetCustomerName(QString(), CustomerId) + QLatin1Char('"');
    return ref;
}

QString InvoiceSession::weekdayText() const
{
    const std::optional<rt::Date> d = DateOfInput(DateText);
    return d ? rt::formatDate(*d, QStringLiteral("Ddd")) : QString();
}

QString InvoiceSession::vatRateText(const QString& vatId) const
{
    const int cls = vatId.isEmpty() ? 0 : static_cast<int>(rt::val(vatId));
    const auto rate = [](const std::optional<double>& r) { return r ? RateText(*r) : NoValueText; };
    switch (cls) {
    case 0: return rate(VatFull);
    case 1: return rate(VatReduced);
    case 2: case 3: case 4: return QStringLiteral("0");
    default: return QString();
    }
}

QString InvoiceSession::vatLabel(int index) const
{
    const std::optional<double>& rate = index == 0 ? VatFull : VatReduced;
    return QStringLiteral("MwSt. ") + (rate ? RateText(*rate) + QLatin1Char('%') : NoValueText);
}

void InvoiceSession::CalculateTotals()
{
    // A date without a VAT period gives no amount, whatever its positions need.
    Totals = m_noVatPeriod || m_ratesFailed ? std::nullopt
                                            : ComputeTotals(Positions, VatFull, VatReduced, MwStIncluded);
    nameUnreadable();
}

ClashAsk InvoiceSession::askFor(const QString& rowName, const QList<MergeField>& fields, bool unattended) const
{
    if (unattended || Unattended)
        return [](const RowMerge&) { return ClashChoice::Stored; };
    return [rowName, fields](const RowMerge& merge) { return AskClash(rowName, fields, merge); };
}

bool InvoiceSession::goneOnLoad() const
{
    // Such an invoice shows no number of its own, only "* neu".
    return RowMissing && NumberText.startsWith(QLatin1Char('*'));
}

QString InvoiceSession::goneName() const
{
    // Found gone on loading, it shows no number: the id it was asked for.
    return goneOnLoad() ? QString::number(CurrentInvoiceId) : invoiceRef(true);
}

QString InvoiceSession::UnsavedLine() const
{
    QString invoice = invoiceRef(true);
    QStringList parts;
    const QStringList fields = FieldLabels(InvoiceMergeFields(), m_unwrittenHeader) + m_unwrittenPositions;
    if (m_waitsForDesk) {
        invoice = goneName();
        parts << QStringLiteral("an einem anderen Arbeitsplatz gelöscht; Ihre Änderung ist nicht gespeichert");
    } else if (!fields.isEmpty()) {
        invoice = invoiceRef(false);
        parts << rt::listed(fields) + QStringLiteral(" nicht gespeichert, da inzwischen auch an anderer Stelle geändert");
    }
    if (!m_typed.empty()) {
        QStringList typed;
        for (const TypedCell& t : m_typed)
            typed << (t.column == ColMng ? QStringLiteral("Menge \"") : QStringLiteral("Einzelpreis \"")) + t.text
                         + QStringLiteral("\" von ") + t.position;
        const QString which = m_typed.size() > 1 ? QStringLiteral("sie nicht gelesen werden können")
                              : m_typed.front().column == ColMng ? QStringLiteral("sie nicht gelesen werden kann")
                                                                 : QStringLiteral("er nicht gelesen werden kann");
        parts << rt::listed(typed) + QStringLiteral(" nicht gespeichert, da ") + which;
    }
    if (parts.isEmpty())
        return QString();
    return QStringLiteral("Rechnung ") + invoice + QStringLiteral(": ") + parts.join(QStringLiteral("; "));
}
