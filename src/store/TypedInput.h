#pragma once

// What people type into fields, read as the values the program stores.

#include <QDate>
#include <QString>

#include <optional>

namespace quadrilo::store {

// "7/12/2026", "07-12-2026", "7.12.26", "7 12 2026": day, month and year
// separated by "/", "-", "." or blanks, surrounding blanks ignored. Two-digit
// years are read as spreadsheets read them: 00-29 as 2000-2029, 30-99 as
// 1930-1999. nullopt for anything else, and for days that do not exist.
std::optional<QDate> parseItalianDate(const QString& text);

// The number a text begins with, as BASIC's Val reads it: leading blanks
// skipped, an optional sign, digits with an optional decimal point; 0 when the
// text does not begin with a number ("12abc" gives 12, "abc" 0).
double leadingNumber(const QString& text);

} // namespace quadrilo::store
