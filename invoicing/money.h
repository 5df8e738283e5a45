#pragma once

#include <QString>

#include <optional>

// Amounts inside invoices and the catalogue are whole cents, rounded
// commercially (half away from zero), so every printed line adds up. The
// database keeps its number columns; amounts cross over at its boundary.
using Cents = qint64;

// An amount of the database or the old runtime, rounded to cents.
Cents CentsOf(double amount);
double AmountOf(Cents cents);
// "#,##0.00" in the workstation's notation.
QString FormatCents(Cents cents);

// An amount the user typed ("12,50", "1.234,5", "12.5", with or without "€");
// an empty text is 0. nullopt when the text is no amount or beyond MaxPrice
// (core/invoices.h).
std::optional<Cents> ParseAmount(const QString& text);

// value x numerator / denominator, rounded half away from zero; denominator > 0.
Cents ShareOf(Cents value, qint64 numerator, qint64 denominator);

// A VAT rate given in percent, as hundredths of a percent (19 -> 1900).
qint64 RateBasisPoints(double ratePercent);
// The rate as the invoice prints it: "19", "16,5".
QString RateText(double ratePercent);
