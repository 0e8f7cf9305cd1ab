#pragma once

// The value of one cell as the program sees it: nothing, a text, a number, a
// date (a number shown with a date format), a boolean or an error. Plus the
// conversions between dates and the serial numbers the file stores, and the
// Italian display of numbers.

#include "xls/Workbook.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace quadrilo::store {

using xls::DateSystem;

class CellValue {
public:
    enum class Kind : std::uint8_t { Empty, Text, Number, Date, Boolean, Error };

    CellValue() = default;

    static CellValue fromText(QString text);
    static CellValue fromNumber(double number);
    // A date (and time) that the date system can hold; Empty otherwise.
    static CellValue fromDateTime(const QDateTime& dateTime, DateSystem system = DateSystem::Date1900);
    static CellValue fromDate(QDate date, DateSystem system = DateSystem::Date1900);
    // The value of a date-formatted number: Date when the serial is a date the
    // system can show, else Number.
    static CellValue fromDateSerial(double serial, DateSystem system = DateSystem::Date1900);
    static CellValue fromBoolean(bool value);
    static CellValue fromError(xls::CellError error);

    Kind kind() const { return m_kind; }
    // True only for a cell holding nothing (a stored empty text is a Text).
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isText() const { return m_kind == Kind::Text; }
    bool isNumber() const { return m_kind == Kind::Number; }
    bool isDate() const { return m_kind == Kind::Date; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    bool isError() const { return m_kind == Kind::Error; }

    // The stored text of a Text; empty for other kinds.
    const QString& text() const { return m_text; }
    // Number: the number; Date: its serial; Boolean: 0 or 1; otherwise 0.
    double number() const { return m_number; }
    // Date: the date and time, in Qt::UTC (no daylight-saving shifts);
    // invalid for other kinds. The fictitious 1900-02-29 (serial 60) reads as
    // 1900-02-28; number() keeps 60.
    const QDateTime& dateTime() const { return m_dateTime; }
    QDate date() const { return m_dateTime.date(); }
    // Date: the system its serial counts in.
    DateSystem dateSystem() const { return m_system; }
    bool boolean() const { return m_kind == Kind::Boolean && m_number != 0; }
    xls::CellError error() const { return m_error; }

    // Excel's comparison of a cell with a text: an empty cell equals "", a text
    // equals the same text (case-sensitive); numbers, dates, booleans and errors
    // never equal a text.
    bool equalsText(const QString& text) const;

    // Same kind and same value: a number never equals a text, a date never
    // equals a plain number. Dates compare by their serial.
    bool operator==(const CellValue& other) const;

private:
    Kind m_kind = Kind::Empty;
    xls::CellError m_error = xls::CellError::Null;
    DateSystem m_system = DateSystem::Date1900;
    double m_number = 0;
    QString m_text;
    QDateTime m_dateTime;
};

// "#DIV/0!", "#N/A", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#NULL!".
QString errorText(xls::CellError error);

// Serial number of a date: 1900 system, 1900-01-01 = 1, 1900-03-01 = 61 (Excel
// counts a 1900-02-29 that never was); 1904 system, 1904-01-01 = 0. nullopt for
// an invalid date or one before the system's start (1899-12-31 = 0 / 1904-01-01)
// or after 9999-12-31.
std::optional<double> toSerial(QDate date, DateSystem system = DateSystem::Date1900);
// As above plus the time of day as a fraction; the date and time fields are used
// as they are, local or UTC alike.
std::optional<double> toSerial(const QDateTime& dateTime, DateSystem system = DateSystem::Date1900);
// Date and time (Qt::UTC, rounded to the millisecond) of a serial number;
// invalid for serials below 0, above 9999-12-31 or not finite. Serial 60 of the
// 1900 system gives 1900-02-28.
QDateTime fromSerial(double serial, DateSystem system = DateSystem::Date1900);

// A number as the program shows it: whole numbers below 10^15 without decimals
// and without separators ("1234", "-5"), others with a decimal comma and up to 15
// significant digits ("0,974", "-21,59", "1,5E+20").
QString numberText(double number);
// A date-formatted number as the program shows it: "dd/MM/yyyy", plus
// " HH:mm:ss" when the format shows a time; only "HH:mm:ss" for a serial below 1
// under a format without a date part. Serial 60 (1900 system) shows 29/02/1900.
// Falls back to numberText() for serials that are no date.
QString dateText(double serial, const QString& numberFormat, DateSystem system = DateSystem::Date1900);

} // namespace quadrilo::store
