#pragma once

#include "core/rowmerge.h"
#include "core/services.h"
#include "invoicing/money.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the catalogue hands to the invoice as a new position.
struct ServiceHandOver {
    int quantity = 1;
    QString text;
    Cents price = 0;
    qint32 serviceId = -1;
    int vatClass = 0;
};

// The entry the service catalogue shows, without the window: its id, the
// fields as shown, the changed flag, and the rules for saving, deleting and
// handing an entry to the invoice. Questions and refusals go through the
// dialog service.
class ServiceCatalogue {
public:
    qint32 CurrentServiceId = -1;   // -1: none, or a new entry not stored yet
    Cents CurrentPrice = 0;
    bool Changed = false;

    QString Name;
    QString Info;
    QString PriceText;
    QString QuantityText = QStringLiteral("1");
    QString IdText;
    int VatOption = -1;             // 0 "voll", 1 "reduz.", 2 "keine"; -1 none set

    // Shows a stored entry; an id without a row leaves no entry chosen.
    void load(qint32 serviceId);
    // Empties name, notes, price and id (the quantity stays).
    void clear();
    // An entry not stored yet.
    void startNew();

    // Writes the changed entry; false when refused or failed (told why), or
    // when the user went back to the edit; the entry then keeps its id and
    // stays changed. What another workstation saved since the entry was
    // loaded stays unless this window changed it too: then the user is asked,
    // or, unattended, the stored value stays and the field keeps the value
    // typed here (UnsavedEdit names it). An entry deleted elsewhere is stored
    // anew only attended; unattended it waits, named by UnsavedEdit, as does
    // a price that cannot be read (nothing of the entry is stored then).
    bool SaveArtikel(bool unattended = false);
    // The fields an unattended store left unwritten, or the entry it found
    // deleted elsewhere, as a line for the notice of the program's end; ""
    // when none.
    QString UnsavedEdit() const;
    // With unsaved changes asks whether to save them (Enter saves). false when
    // the save was wanted and did not succeed, or Escape went back to the entry.
    bool offerSave();

    // Leaving the price and quantity boxes: false when the text was refused
    // (told why) and put back; unattended it stays as typed, nothing said.
    bool checkPreis(bool unattended = false);
    bool checkMenge(bool unattended = false);
    // index 0 one more, 1 one less; never below 0.
    void stepMenge(int index);

    // Deletes the entry after asking; refused while invoices use it.
    bool deleteCurrent();

    // What goes to the invoice; nullopt when nothing may go (told why).
    std::optional<ServiceHandOver> handOver(bool invoiceOpen);

    // What the user does to the fields.
    void editName(const QString& text);
    void editInfo(const QString& text);
    void editPrice(const QString& text);
    void chooseVat(int option);
    // Leaving the name and notes: their blanks go, which is no edit of the user's.
    void trimName();
    void trimInfo();

private:
    // The entry as its fields would store it, the price given.
    Service fromFields(Cents price) const;
    void showStored(const RowValues& row);
    // What the fields would store now; empty when the price is no amount.
    RowValues fieldColumns() const;
    // Names a stored price that cannot be read; true when there is one.
    bool refuseUnreadablePrice() const;
    // Names, once per showing, a stored price or class that cannot be read.
    void nameUnreadable() const;
    void forgetStored();
    // The user edited a field that showed its stored value as it could (a
    // price rounded, an empty class as "voll", blanks): the field's value
    // counts as changed, even when it is the value shown.
    void mendUnshown(const QString& column);

    // The stored price cannot be read and no price was typed: nothing goes
    // to an invoice, and the entry is stored anew only with a price typed.
    bool m_priceUnreadable = false;
    // The stored class is no whole number and none was chosen since: none
    // shows chosen, so that any choice is written.
    bool m_classUnreadable = false;
    RowValues m_loaded;           // the row as read or last stored; empty for a new entry
    RowValues m_base;             // what the fields would store right after that
    QStringList m_unwritten;      // fields an unattended store kept as stored
    // An unattended store found the entry deleted elsewhere: it waits for the user.
    bool m_goneWaits = false;
    // The price an unattended store found typed so that it cannot be read
    // (null: none); nothing of the entry was stored. Named until the user
    // leaves the price box, saves, or gives the edit up.
    QString m_typedPrice;
};
