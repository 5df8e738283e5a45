#pragma once

#include "core/invoices.h"
#include "invoicing/money.h"
#include "platform/runtime/date.h"

#include <QSet>
#include <QString>

#include <optional>
#include <utility>
#include <vector>


// The columns of the positions grid; the hidden ones stay for old templates
// of the grid and for the row's ids.
enum PositionColumn : int {
    ColLgr,
    ColVrl,
    ColMng,
    ColBestellNr,
    ColBeschreibung,
    ColMwStProzent,
    ColEPreis,
    ColGesPreis,
    ColArtId,
    ColMwStId,
    PositionColumnCount
};

// The text a new free position starts with.
inline const QString FreePositionText = QStringLiteral("> > > hier Artikelbezeichnung einfügen");
// What a cell or a total shows where a value cannot be read or computed.
inline const QString NoValueText = QStringLiteral("–");

struct InvoicePosition {
    qint32 ivpId = 0;
    int quantity = 0;
    // The text without the own-text marker: the position's own text, else
    // the service's name, else the "unbekannter Artikel" text.
    QString text;
    bool ownText = false;       // shown with " ~"
    bool hasService = false;
    QString serviceName;
    Cents price = 0;            // unit price
    qint32 articleId = -1;      // srv_id; -1 for a free position
    QString vatId;              // the VAT class as the service stores it; "" when it has none
    RowValues loaded;           // its row as read, which its next write compares with what is stored
    // Stored so that it cannot be read: the quantity or price above is then
    // no value, the class is none; nothing is computed from it.
    bool quantityUnreadable = false;
    bool priceUnreadable = false;
    bool classUnreadable = false;

    // The class the totals use: 0 full, 1 reduced, anything else no VAT.
    int vatClass() const;
    // Quantity times price; nullopt when either cannot be read.
    std::optional<Cents> total() const;
    QString displayText() const;
};

struct InvoiceTotals {
    Cents sum = 0;
    Cents vatFull = 0;
    Cents vatReduced = 0;
    Cents net = 0;
    Cents gross = 0;
};

// VAT per class from the class sum, rounded once; the net (prices including
// VAT) or the gross (net prices) follows from the rounded VAT, so the printed
// lines add up to the cent. nullopt when a position's quantity, price or
// class, or the rate of a class a position has, cannot be read (a rate
// nullopt): no amount is made of what cannot be read.
std::optional<InvoiceTotals> ComputeTotals(const std::vector<InvoicePosition>& positions,
                                           std::optional<double> rateFull, std::optional<double> rateReduced,
                                           bool pricesIncludeVat);

// A stored position as the window shows it.
InvoicePosition PositionOf(const InvoicePositionRow& row);
// The gross of stored positions on a day, as the window computes it: with
// the VAT of that day and the VAT mode in force now; nullopt when no VAT
// period covers the day. The stored total of every invoice is written with it.
InvoiceGrossRule StoredGrossRule();

// "2024000123": the last four characters of the date text and the id as "000000".
QString InvoiceNumber(const QString& dateText, qint32 invId);
// An entry of the invoice list: sent mark, date, status, name.
QString InvoiceListEntry(const InvoiceListRow& row);
// The general list shows the invoices dated after this day.
rt::Date InvoiceListSince(const rt::Date& today);

enum class SaveResult {
    Unchanged,   // nothing to write
    Saved,
    Dropped,     // the invoice and its positions were removed
    ReadOnly,    // a read-only workstation writes nothing
    Failed,      // reported; the invoice stays as shown, still changed
    Back,        // Escape on the question: nothing written, nothing dropped
    // To be dropped, but another workstation changed it since it was shown:
    // kept and shown as stored, with this window's own header change saved
    // when the user was asked (unattended nothing is written). The window
    // stays on it.
    Kept,
};

// The invoice the invoice window shows, without the window: its ids, the
// header as shown, the VAT rates of its date, its positions and totals, and
// the rules for leaving it. Every question and refusal goes through the
// dialog service; state changes only through these calls.
class InvoiceSession {
public:
    qint32 CurrentInvoiceId = -1;   // -1: no invoice
    qint32 CustomerId = -1;         // -1: no recipient
    qint32 BookingId = -1;
    qint32 StatusId = 0;            // the chosen ivs_id; 0 when the table has none
    std::optional<qint32> PaymodeId;
    bool Changed = false;           // the header differs from what is stored
    // The invoice's row was deleted at another workstation: what is shown
    // counts as a new invoice, stored anew by the next save or position write
    // the user makes here (never unattended: see WaitsForTheDesk).
    bool RowMissing = false;
    // Rates in percent valid on the invoice date; nullopt while unknown: the
    // VAT table holds one that cannot be read, no period of it covers the
    // date, or reading it failed.
    std::optional<double> VatFull;
    std::optional<double> VatReduced;
    bool Paid = false;

    QString AddressText;
    QString DateText;               // as typed
    QString NumberText;
    QString DateRangeText;
    QString Notes;
    QString StatusLine;

    std::vector<InvoicePosition> Positions;
    // nullopt while a value they need cannot be read: nothing is shown,
    // printed or stored as a total then.
    std::optional<InvoiceTotals> Totals;
    // An edit found its position deleted elsewhere: the positions are to be
    // read again once the edit is over.
    bool PositionsStale = false;
    // The program ends with nobody to ask: where another workstation changed
    // what this one writes, its value is kept and this one's named in UnsavedLine.
    bool Unattended = false;

    bool hasInvoice() const { return CurrentInvoiceId > 0; }
    // Found deleted elsewhere while nobody was there: this window's change is
    // stored by no end, only by the user here (or let go), and UnsavedLine names it.
    bool WaitsForTheDesk() const { return m_waitsForDesk; }

    // Shows invoice invId, or else a new invoice for the customer and booking
    // (on a read-only workstation: no invoice). Run the save rules first.
    void show(qint32 invId, qint32 custId, qint32 bookingId);
    // A new invoice row for the current customer and booking; false on a
    // read-only workstation.
    bool CreateNewInvoice();
    // Reads the invoice and its positions; an invoice deleted meanwhile is
    // reported and leaves empty fields under its id.
    void LoadInvoice(qint32 invId);
    void loadPositions();
    // Reads the stored positions; when they differ from those shown they take
    // their place (with the totals) and the result is true. An invoice whose
    // row is gone keeps what it shows, to be stored anew.
    bool readStoredPositions();

    // The rules for leaving an invoice. unattended: nobody may be asked, the
    // invoice is kept as it is.
    SaveResult SaveInvoice(bool unattended = false);
    // Deletes the invoice with its positions after asking; true when done.
    bool DeleteInvoice();
    // Makes the customer the recipient, stored at once; false when refused.
    bool takeOverCustomer(qint32 custId);

    // A position stored at once; its VAT class is its service's. false when refused.
    bool addPosition(int quantity, const QString& text, Cents price, qint32 prodId);
    // A cell of the grid edited in place, stored at once: the quantity, the
    // unit price or the text, by the column; false when refused (told why).
    bool ApplyCellEdit(int row, int column, const QString& text);
    bool setQuantity(int row, const QString& text);
    bool setPrice(int row, const QString& text);
    bool setText(int row, const QString& text);
    // Asks, naming the position by its text; true when deleted.
    bool deletePosition(int row);

    // What the user does to the header.
    void editDate(const QString& text);            // typing: no VAT lookup yet
    // Leaving the box: completed, VAT of the day. A text the date rules cannot
    // complete keeps the date shown before, and the user is told how to type one.
    void completeDate(const QString& text);
    void fillEmptyDate();                          // entering an empty box: today
    void stepDate(int index);                      // index 0 one day on, 1 one day back
    void selectStatus(qint32 ivsId);
    void selectPaymode(qint32 paymId);
    void setPaid(bool paid);
    void editNotes(const QString& text);
    // Leaving the notes: their blanks go, which is no edit of the user's.
    void trimNotes();

    // When the total stored with the invoice is not what its stored rows
    // give with the VAT of now (the VAT table or mode changed since), says
    // so, naming both, once per showing of the invoice and pair of amounts.
    // Nothing is said of a total that values which cannot be read make.
    void TellStoredTotal();
    // Says why no document is made of the invoice as shown (a value or its
    // date cannot be read), naming each; false when one can be made.
    bool refuseDocument();
    // Stores the gross shown as the invoice's total, with the check that the
    // positions shown are those stored; when they are not, they are shown as
    // stored and the result is false. true without a stored row to write,
    // also when another workstation deleted it meanwhile, and when the date
    // shown is not the one stored (the gross is then not the stored invoice's)
    // or no total is shown (a value cannot be read): nothing is stored then.
    bool storeShownTotal();
    // "Mo." for the date shown; "" when it is no date.
    QString weekdayText() const;
    // The MwSt% cell of a class: the rate, "0" for classes 2 to 4, "" beyond;
    // "–" for a rate that cannot be read.
    QString vatRateText(const QString& vatId) const;
    // "MwSt. 19%" for index 0 (full) and 1 (reduced); "MwSt. –" for a rate
    // that cannot be read.
    QString vatLabel(int index) const;

    void CalculateTotals();

    // "Rechnung 2026000012: Notiz nicht gespeichert – an einem anderen
    // Arbeitsplatz geändert" after an unattended store kept another
    // workstation's values over this one's, or "Rechnung Nr. 2026000012: an
    // einem anderen Arbeitsplatz gelöscht; ..." while it WaitsForTheDesk;
    // with "Menge "drei" von "Frühstück" nicht gespeichert, da sie nicht
    // gelesen werden kann" for a cell typed so while nobody was there;
    // "" when nothing is left unwritten.
    QString UnsavedLine() const;
    // The text of a cell typed while nobody was there that cannot be read:
    // the cell shows it until the user types it anew; nullopt for none.
    std::optional<QString> typedText(int row, int column) const;
    // With somebody here again: refuses those texts as leaving their cells
    // would have, and the cells show what is stored.
    void refuseTyped();

private:
    void clearFields(bool lookupToday);
    void noInvoice();
    bool refuseWithoutInvoice() const;
    // The header as this window read it and the positions as it shows them,
    // as a delete compares them with what is stored.
    RowValues shownInvoice() const;
    // Another workstation stored positions of the invoice, shown here or not.
    bool hasStoredPositions() const;
    // Drops the invoice through the comparison with what the window showed:
    // changed elsewhere since, it goes only when the user says so, and
    // unattended never.
    enum class Drop { Dropped, Kept, Failed };
    Drop drop(bool unattended);
    void applyRates(const rt::Date& day);
    // lookupRates; a database error is told as such, once while it lasts
    // (unattended it is thrown on), and leaves the rates unknown.
    void readRates(const rt::Date& day);
    // The rates of the day as the VAT table holds them now. Throws db::DbError.
    void lookupRates(const rt::Date& day);
    // The rates of the date shown as the VAT table holds them now (as the
    // stored total is computed), without a message but for a database error;
    // the totals anew.
    void refreshRates();
    // How the failed read of the rates of the day shown is named.
    QString ratesFailedKey() const;
    // The stored total and the gross the stored rows give with the VAT of
    // now, when they differ and the user was not told in this showing;
    // nullopt when they agree or either cannot be computed from what is read.
    std::optional<std::pair<Cents, Cents>> untoldTotals() const;
    // Tells of them: stored is the total a save just stored, nullopt when
    // nothing stored it (it is stored by the next change or the document).
    void tellTotals(const std::pair<Cents, Cents>& amounts, const std::optional<Cents>& stored);
    // The gross a header write may store as the total: the one shown, unless
    // untold differs and nobody can be told (unattended); nullopt then, or
    // while no total is shown.
    std::optional<double> agreedTotal(const std::optional<std::pair<Cents, Cents>>& untold, bool unattended) const;
    // After a header write that was to store the gross: tells of untold, with
    // the total the write stored.
    void tellStored(const std::optional<std::pair<Cents, Cents>>& untold, const RowValues& row);
    // The values of the invoice shown that cannot be read, each with a key
    // and the sentence that names it, in the order of the window.
    std::vector<std::pair<QString, QString>> unreadableValues() const;
    // Names, once per showing, what unreadableValues() holds (as a notice,
    // told when the user's action is done).
    void nameUnreadable();
    // How messages name the invoice: "Nr. 2024000012" (withNr) or its number
    // alone, or, while it shows no number (its date cannot be read), its
    // record and recipient: "1 für "Hoffmann, Ursula"".
    QString invoiceRef(bool withNr) const;
    InvoicePosition* positionAt(int row);
    bool positionGone();
    InvoiceGrossRule grossRule() const;
    InvoiceHeaderWrite headerToWrite() const;
    // Shows the header as stored in row, but for the columns in keepOwn,
    // whose values this window keeps unwritten; the row becomes what the
    // next save compares with.
    void takeHeaderRow(const RowValues& row, const QStringList& keepOwn);
    // The question about another workstation's change, or Nein unasked.
    ClashAsk askFor(const QString& rowName, const QList<MergeField>& fields, bool unattended) const;
    // The user edited a field that showed its stored value as it could: the
    // field's value counts as changed, even when it is the value shown.
    void mendUnshown(const QString& column);
    // Stores a position's edit of column and shows the positions as stored.
    bool writePosition(int row, const InvoicePosition& edited, const QString& column);
    // What a position's column is compared with when the user edited it:
    // the stored value where the grid showed it otherwise.
    static RowValues positionBase(const InvoicePosition& p, const QString& column);
    static bool positionShownAsStored(const InvoicePosition& p, const QString& column);
    static InvoicePositionRow rowOf(const InvoicePosition& p, qint32 invId);
    // A position's edit: written, or with the invoice gone stored anew.
    bool storeEdit(int row, const InvoicePosition& edited, const QString& column);
    // Stores the shown invoice with these positions as a new invoice; told
    // why when refused, and then nothing changes. Unattended nothing is
    // stored: the positions are shown and the invoice WaitsForTheDesk.
    bool storeAnew(const std::vector<InvoicePosition>& positions);
    // How the invoice found gone is named: its number, or the id asked for.
    QString goneName() const;
    // Found gone when it was loaded: the window shows it emptied, as new.
    bool goneOnLoad() const;
    // "... gelöscht. Sie wurde als neue Rechnung Nr. ... gespeichert."
    void tellStoredAnew(const QString& nameBefore, qint32 idBefore);
    // A write found the invoice, the recipient or a service deleted
    // elsewhere: tells so; false.
    bool refuseWrite(InvoiceWrite result);
    bool invoiceGone();
    bool recipientGone();
    // A quantity or price typed into a cell that cannot be read: told why,
    // or with nobody there kept as typed for the user; false.
    bool refuseCell(int row, int column, const QString& text);
    void forgetTyped(qint32 ivpId, int column);
    bool serviceGone(qint32 serviceId, const QString& name = QString());

    std::optional<rt::Date> m_ratesDay;
    // No period of the VAT table covers m_ratesDay: no amount is made at all.
    bool m_noVatPeriod = false;
    // Reading the VAT table for m_ratesDay failed: no amount either, and no
    // gap of the table is named.
    bool m_ratesFailed = false;
    QString m_completedDate;   // the last date text that was complete
    // The stored date cannot be read and no date was typed: no number is
    // shown, and the document waits for a date.
    bool m_dateUnreadable = false;
    QSet<QString> m_named;     // what was named as unreadable in this showing
    bool m_holdNames = false;  // loading: named once it is all read
    // The header as read (its row) and as the window's fields gave it then;
    // the next save writes what differs from the latter. Empty for a new
    // invoice: all of it is this window's.
    RowValues m_loadedHeader;
    RowValues m_baseHeader;
    QStringList m_unwrittenHeader;      // columns an unattended store left to the other workstation
    QStringList m_unwrittenPositions;   // position fields it left so, as the user knows them
    bool m_waitsForDesk = false;
    // Cells typed while nobody was there that cannot be read, by position
    // and column; stored nowhere.
    struct TypedCell {
        qint32 ivpId;
        int column;
        QString text;
        QString position;   // "Frühstück", as the line names it
    };
    std::vector<TypedCell> m_typed;
    // The stored total and the gross of now the user was told of, in this showing.
    std::optional<std::pair<Cents, Cents>> m_toldTotals;
};
