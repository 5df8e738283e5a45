#pragma once

#include "invoicing/invoice.h"

#include <QString>

#include <optional>
#include <vector>

// The template the invoice document is made from, in the program folder.
inline const QString InvoiceTemplateName = QStringLiteral("Rechnung.dotx");

// What each bookmark of the invoice template receives.
struct InvoiceDocumentTexts {
    QString tm_anschrift;
    QString tm_datum;
    QString tm_rechnungsnummer;
    QString tm_artikel;
    QString tm_mwst;
    QString tm_summe;
    QString tm_nettosumme;
    QString tm_nettobetrag;
    QString tm_bruttosumme;
    QString tm_zahlmod;
};

// One line per position: quantity, text, unit price and total, tab-separated,
// amounts with "€"; lines end in a carriage return, the last one not. The
// own-text marker of the grid is not printed. A text too long for its column
// goes on in lines of its own that start at the text's tab stop, so the
// amounts stay on the position's first line.
QString PositionLines(const std::vector<InvoicePosition>& positions);

// A line per VAT amount other than 0: "inkl." or "zzgl.", the rate label, a tab
// and the amount with "€"; the full rate's line ends in a carriage return.
QString VatLines(bool pricesIncludeVat, const QString& fullLabel, Cents fullVat, const QString& reducedLabel,
                 Cents reducedVat);

// The texts from the invoice as the window shows it; paymodeText is the print
// text of the chosen payment mode. nullopt while it shows no totals (a value
// cannot be read).
std::optional<InvoiceDocumentTexts> InvoiceDocument(const InvoiceSession& session, bool pricesIncludeVat,
                                                    const QString& paymodeText);

// Fills the template (a full path), saves the result as a new document and
// hands it to the desktop's word processor. false when the template could not
// be opened or the document not be saved or handed over (the user was told).
bool WriteInvoiceDocument(const QString& templatePath, const InvoiceDocumentTexts& texts);
