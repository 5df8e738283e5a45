#pragma once

#include "platform/runtime/date.h"

#include <QString>

// One customer row turned into the texts letters, invoices and lists need.
struct CustomerAddress {
    qint32 ExtId = 0;
    bool IsNew = false;
    QString AddressBlock;       // lines separated by "\r\n"
    QString DisplayName;        // "Company, Last, First"
    QString LastName;
    QString FirstName;
    QString Company;
    QString LetterSalutation;   // "Sehr geehrter Herr Meier"
    QString Street;
    QString Zip;                // "CH - 8000" for a known foreign country
    QString City;
    QString Country;            // "" for Germany
    QString Phone;
    QString Fax;
    QString Mobile;
    QString Email;
    rt::Date Birthday;          // zero when unknown
    QString Info;
};

// The recipient the invoice window shows.
extern CustomerAddress InvoiceAddress;

// Fills address from the row custId of table and returns, by mode:
// 1 the address block on one line, 3 the display name, 4 the display name with
// the birthday, anything else the address block. Mode 0 writes the block in
// letter form ("z. Hd. Herrn ...", the salutation word on a line of its own).
// custId -1 empties address and returns text 309; an id without a row returns
// "Person not found in database" and leaves address alone.
// Database errors (db::DbError) go to the caller.
QString GetCustomerAddress(int mode, CustomerAddress& address, const QString& table, qint32 custId);

// Carriage returns become " / ", line feeds vanish.
QString JoinAddressLines(const QString& text);

// The first letter upper-cased, nothing lower-cased. With keepPrefix a name
// starting with "van ", "von " or "v." keeps everything up to its last blank
// (or, without one, its last ".") as typed.
QString CapitalizeName(const QString& name, bool keepPrefix);

// The cust_sex (0 Herr, 1 Frau, 3 none) that fits a first name: taken from
// customers of that first name, else guessed from its last letter.
int GuessSexFromFirstName(const QString& firstName);

// The number of customers with exactly these names; where receives the
// condition used. Blank names give 0 and leave where alone.
int CountCustomersByName(const QString& lastName, const QString& firstName, QString& where);

// The text lower-cased with its first ä, ö and ü written ae, oe and ue, or
// where a letter is missing, the first ae, oe or ue written as the umlaut.
QString SwapUmlautSpelling(const QString& text);
