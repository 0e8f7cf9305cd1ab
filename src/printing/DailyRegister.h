#pragma once

// The daily register: every protocol registered on a day (by its date in
// column B), of both registers, in number order, as a PDF/A document for
// conservation, with the SHA-256 fingerprint of the records it lists.

#include "store/Layout.h"
#include "store/Workbook.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace quadrilo::printing {

struct DailyRecord {
    std::array<QString, store::layout::reg::kHeaderCount> texts;  // columns A to K as displayed
};

struct DailyRegister {
    QDate day;
    QString owner;                       // Varie R2
    std::vector<DailyRecord> entrata;    // in number order
    std::vector<DailyRecord> uscita;
    QString fingerprint;                 // SHA-256 of canonicalText(), hexadecimal
};

// The records of the day in both registers, with their fingerprint.
DailyRegister collectDailyRegister(store::Workbook& workbook, QDate day);

// What the fingerprint is taken of, as UTF-8: a line "Registro giornaliero"
// with the day (yyyy-MM-dd), then for each register a line with its name
// followed by one line per record, its eleven texts parted by tabs (a tab,
// line feed or backslash inside a text written as \t, \n, \\).
QString canonicalText(const DailyRegister& daily);

// Writes the PDF/A-1b document and, beside it, path + ".sha256" holding the
// fingerprint. "" when done, otherwise why not, in Italian.
QString writeDailyRegister(const DailyRegister& daily, const QString& path);

// "Registro-giornaliero-2026-12-09.pdf".
QString dailyRegisterFileName(QDate day);

} // namespace quadrilo::printing
