#pragma once

// The records of the two registers as the protocol panel writes them: the
// counters, the row a new record goes to, and the checks before it is written.

#include "store/Layout.h"
#include "store/Sheet.h"
#include "store/Workbook.h"

#include <QString>

#include <optional>

namespace quadrilo::protocol {

using store::layout::RegisterKind;

// One record as the fields of the panel hold it, columns A to K.
struct ProtocolRecord {
    QString number;
    QString date;
    QString correspondenceType;
    QString documentType;
    QString documentDate;
    QString correspondent;
    QString subject;
    QString note;
    QString attachments;
    QString sector;
    QString assignee;
};

// Protocol numbers have at most five digits.
inline constexpr int kMaxProtocolNumber = 99999;

// "E" for Entrata, "U" for Uscita: column L of every record.
QString registerMarker(RegisterKind kind);

// The number a counter cell holds (the leading number of a text), 0 when empty.
long long counterValue(store::Workbook& workbook, RegisterKind kind);
// Writes 0 into an empty counter of the register.
void ensureCounter(store::Workbook& workbook, RegisterKind kind);
// The counter plus one.
long long nextNumber(store::Workbook& workbook, RegisterKind kind);
// Stores number as the last one used.
void setCounter(store::Workbook& workbook, RegisterKind kind, long long number);

// The first row, from row 1 down, whose column A is empty; nullopt when the
// sheet has none.
std::optional<int> firstFreeRow(const store::Sheet& sheet);

// Why a record cannot be written as it stands.
enum class RecordProblem {
    None,
    MissingRequired,   // date, sender/addressee or subject empty
    BadDate,           // the date field holds something that is not a date
    BadDocumentDate,   // the same for the document date
    TextTooLong,       // a field is longer than a cell holds
    NumberOutOfRange,  // the number is not 1 to 99999
    RegisterFull,      // no free row is left in the sheet
};
// The checks of the fields B to K, for a record written over a stored one.
RecordProblem checkFields(const ProtocolRecord& record, xls::DateSystem system);
// The checks of a new record: the fields, its number, a free row in the register.
RecordProblem checkRecord(const ProtocolRecord& record, store::Workbook& workbook, RegisterKind kind);

// Writes the fields into columns B to K of row: dates as dates, the rest as
// typed. The number in A and the marker in L are left alone. False when a
// cell could not be written.
bool writeRecord(store::Sheet& sheet, int row, const ProtocolRecord& record);
// A new record: the fields, the number as a number in A, the marker in L.
bool writeNewRecord(store::Sheet& sheet, int row, const ProtocolRecord& record, RegisterKind kind);

// Whether a row still holds the record of that number, as the modification
// compares it: the displayed text of column A equals the number field's text.
bool holdsNumberText(const store::Sheet& sheet, int row, const QString& text);
// As the deletion compares it: column A holds that number, a number stored as
// text ("07") counting as its leading number.
bool holdsNumber(const store::Sheet& sheet, int row, double number);

} // namespace quadrilo::protocol
