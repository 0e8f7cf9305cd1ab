#include "store/CellValue.h"

#include <QTime>

#include <cmath>
#include <vector>

namespace quadrilo::store {

namespace {

constexpr qint64 kMsPerDay = 86'400'000;
constexpr qint64 kSecondsPerDay = 86'400;

// 1900 system: serial 1 is 1900-01-01 and serial 60 the 1900-02-29 that never
// was, so from 1900-03-01 on the days count from 1899-12-30.
const QDate kBase1900Early(1899, 12, 31);
const QDate kBase1900(1899, 12, 30);
const QDate kFirstAfterLeapBug(1900, 3, 1);
const QDate kBase1904(1904, 1, 1);
const QDate kLastDate(9999, 12, 31);

qint64 maxDays(DateSystem system)
{
    return system == DateSystem::Date1904 ? kBase1904.daysTo(kLastDate) : kBase1900.daysTo(kLastDate);
}

// Date of a whole serial that is known to lie in range.
QDate dateOfDays(qint64 days, DateSystem system)
{
    if (system == DateSystem::Date1904)
        return kBase1904.addDays(days);
    if (days < 60)
        return kBase1900Early.addDays(days);
    if (days == 60)
        return QDate(1900, 2, 28);
    return kBase1900.addDays(days);
}

// Writes n as `width` digits with leading zeros at out.
void putDigits(QChar* out, int n, int width)
{
    for (int i = width - 1; i >= 0; --i, n /= 10)
        out[i] = QChar(u'0' + n % 10);
}

// Every cell of a register has its dates shown, so these build their text
// directly rather than through QString::arg.
QString dayText(qint64 days, DateSystem system)
{
    if (system == DateSystem::Date1900 && days == 60)
        return QStringLiteral("29/02/1900");
    if (system == DateSystem::Date1900 && days == 0)
        return QStringLiteral("00/01/1900");  // as Excel shows serial 0
    const QDate date = dateOfDays(days, system);
    QString text(10, u'/');
    putDigits(text.data(), date.day(), 2);
    putDigits(text.data() + 3, date.month(), 2);
    putDigits(text.data() + 6, date.year(), 4);
    return text;
}

QString timeText(qint64 secondsOfDay)
{
    const int s = static_cast<int>(secondsOfDay);
    QString text(8, u':');
    putDigits(text.data(), s / 3600, 2);
    putDigits(text.data() + 3, s / 60 % 60, 2);
    putDigits(text.data() + 6, s % 60, 2);
    return text;
}

struct FormatParts {
    bool date = false;
    bool time = false;
};

// Which of date and time the first section of a number format shows. An 'm'
// run is minutes right after an hour or right before a seconds code, else months.
FormatParts formatParts(const QString& format)
{
    std::vector<char16_t> codes;  // 'd' 'y' 'h' 's', 'm' (undecided), 'n' (minutes)
    bool amPm = false;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format[i];
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            i += 2;
            continue;
        }
        if (c == u';')
            break;
        if (c == u'[') {
            const qsizetype close = format.indexOf(u']', i + 1);
            const QString inside = format.mid(i + 1, (close < 0 ? n : close) - i - 1).toLower();
            if (!inside.isEmpty()) {
                const QChar first = inside[0];
                bool elapsed = first == u'h' || first == u'm' || first == u's';
                for (const QChar x : inside)
                    elapsed = elapsed && x == first;
                if (elapsed)
                    codes.push_back(first == u'm' ? u'n' : first.unicode());
            }
            i = close < 0 ? n : close + 1;
            continue;
        }
        const char16_t lower = c.toLower().unicode();
        if (lower == u'a') {
            if (format.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
                amPm = true;
                i += 5;
                continue;
            }
            if (format.mid(i, 3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
                amPm = true;
                i += 3;
                continue;
            }
        }
        if (lower == u'd' || lower == u'y' || lower == u'm' || lower == u'h' || lower == u's') {
            while (i < n && format[i].toLower().unicode() == lower)
                ++i;
            codes.push_back(lower);
            continue;
        }
        ++i;
    }
    FormatParts parts;
    parts.time = amPm;
    for (std::size_t k = 0; k < codes.size(); ++k) {
        switch (codes[k]) {
        case u'd':
        case u'y':
            parts.date = true;
            break;
        case u'h':
        case u's':
        case u'n':
            parts.time = true;
            break;
        case u'm': {
            const bool afterHour = k > 0 && codes[k - 1] == u'h';
            const bool beforeSeconds = k + 1 < codes.size() && codes[k + 1] == u's';
            (afterHour || beforeSeconds ? parts.time : parts.date) = true;
            break;
        }
        default:
            break;
        }
    }
    if (!parts.date && !parts.time)
        parts.date = true;
    return parts;
}

} // namespace

CellValue CellValue::fromText(QString text)
{
    CellValue v;
    v.m_kind = Kind::Text;
    v.m_text = std::move(text);
    return v;
}

CellValue CellValue::fromNumber(double number)
{
    CellValue v;
    v.m_kind = Kind::Number;
    v.m_number = number;
    return v;
}

CellValue CellValue::fromDateTime(const QDateTime& dateTime, DateSystem system)
{
    const auto serial = toSerial(dateTime, system);
    if (!serial)
        return {};
    return fromDateSerial(*serial, system);
}

CellValue CellValue::fromDate(QDate date, DateSystem system)
{
    const auto serial = toSerial(date, system);
    if (!serial)
        return {};
    return fromDateSerial(*serial, system);
}

CellValue CellValue::fromDateSerial(double serial, DateSystem system)
{
    QDateTime dateTime = fromSerial(serial, system);
    if (!dateTime.isValid())
        return fromNumber(serial);
    CellValue v;
    v.m_kind = Kind::Date;
    v.m_number = serial;
    v.m_system = system;
    v.m_dateTime = std::move(dateTime);
    return v;
}

CellValue CellValue::fromBoolean(bool value)
{
    CellValue v;
    v.m_kind = Kind::Boolean;
    v.m_number = value ? 1 : 0;
    return v;
}

CellValue CellValue::fromError(xls::CellError error)
{
    CellValue v;
    v.m_kind = Kind::Error;
    v.m_error = error;
    return v;
}

bool CellValue::equalsText(const QString& text) const
{
    if (m_kind == Kind::Empty)
        return text.isEmpty();
    return m_kind == Kind::Text && m_text == text;
}

bool CellValue::operator==(const CellValue& other) const
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case Kind::Empty:
        return true;
    case Kind::Text:
        return m_text == other.m_text;
    case Kind::Number:
    case Kind::Boolean:
        return m_number == other.m_number;
    case Kind::Date:
        return m_system == other.m_system ? m_number == other.m_number : m_dateTime == other.m_dateTime;
    case Kind::Error:
        return m_error == other.m_error;
    }
    return false;
}

QString errorText(xls::CellError error)
{
    switch (error) {
    case xls::CellError::Null:
        return QStringLiteral("#NULL!");
    case xls::CellError::DivZero:
        return QStringLiteral("#DIV/0!");
    case xls::CellError::Value:
        return QStringLiteral("#VALUE!");
    case xls::CellError::Ref:
        return QStringLiteral("#REF!");
    case xls::CellError::Name:
        return QStringLiteral("#NAME?");
    case xls::CellError::Num:
        return QStringLiteral("#NUM!");
    case xls::CellError::NA:
        return QStringLiteral("#N/A");
    }
    return QStringLiteral("#N/A");
}

std::optional<double> toSerial(QDate date, DateSystem system)
{
    if (!date.isValid() || date > kLastDate)
        return std::nullopt;
    qint64 days = 0;
    if (system == DateSystem::Date1904)
        days = kBase1904.daysTo(date);
    else if (date < kFirstAfterLeapBug)
        days = kBase1900Early.daysTo(date);
    else
        days = kBase1900.daysTo(date);
    if (days < 0)
        return std::nullopt;
    return static_cast<double>(days);
}

std::optional<double> toSerial(const QDateTime& dateTime, DateSystem system)
{
    if (!dateTime.isValid())
        return std::nullopt;
    const auto days = toSerial(dateTime.date(), system);
    if (!days)
        return std::nullopt;
    return *days + static_cast<double>(dateTime.time().msecsSinceStartOfDay()) / kMsPerDay;
}

QDateTime fromSerial(double serial, DateSystem system)
{
    if (!std::isfinite(serial) || serial < 0)
        return {};
    const double ms = std::round(serial * kMsPerDay);
    if (ms >= static_cast<double>((maxDays(system) + 1) * kMsPerDay))
        return {};
    const auto total = static_cast<qint64>(ms);
    const QDate date = dateOfDays(total / kMsPerDay, system);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(total % kMsPerDay));
    return QDateTime(date, time, Qt::UTC);
}

QString numberText(double number)
{
    if (number == 0)
        return QStringLiteral("0");  // also for -0
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    QString text = QString::number(number, 'g', 15);
    text.replace(u'.', u',');
    text.replace(u'e', u'E');
    return text;
}

QString dateText(double serial, const QString& numberFormat, DateSystem system)
{
    if (!std::isfinite(serial) || serial < 0 || serial >= static_cast<double>(maxDays(system) + 1))
        return numberText(serial);
    // A sheet's dates share a handful of formats: the last one is remembered.
    thread_local QString lastFormat;
    thread_local FormatParts lastParts;
    thread_local bool cached = false;
    if (!cached || numberFormat != lastFormat) {
        lastParts = formatParts(numberFormat);
        lastFormat = numberFormat;
        cached = true;
    }
    const FormatParts parts = lastParts;
    if (!parts.date && serial < 1) {
        const auto seconds = static_cast<qint64>(std::llround(serial * kSecondsPerDay));
        return timeText(seconds % kSecondsPerDay);
    }
    if (!parts.time)
        return dayText(static_cast<qint64>(std::floor(serial)), system);
    const auto seconds = static_cast<qint64>(std::llround(serial * kSecondsPerDay));
    const qint64 days = seconds / kSecondsPerDay;
    if (days > maxDays(system))
        return numberText(serial);
    return dayText(days, system) + u' ' + timeText(seconds % kSecondsPerDay);
}

} // namespace quadrilo::store
