#include "register/Protocols.h"

#include "store/CellValue.h"
#include "store/TypedInput.h"

#include <cmath>

namespace quadrilo::protocol {

namespace layout = store::layout;
namespace col = store::layout::reg;

namespace {

std::optional<store::Sheet> counterSheet(store::Workbook& workbook, RegisterKind kind)
{
    return workbook.sheet(layout::registerCounter(kind).sheet);
}

// A date field: empty stays empty; otherwise an Italian date the workbook's
// date system can hold.
bool isAcceptableDate(const QString& text, xls::DateSystem system)
{
    if (text.isEmpty())
        return true;
    const auto date = store::parseItalianDate(text);
    return date && store::toSerial(*date, system).has_value();
}

} // namespace

QString registerMarker(RegisterKind kind)
{
    return kind == RegisterKind::Entrata ? QStringLiteral("E") : QStringLiteral("U");
}

long long counterValue(store::Workbook& workbook, RegisterKind kind)
{
    const auto sheet = counterSheet(workbook, kind);
    if (!sheet)
        return 0;
    const auto cell = layout::registerCounter(kind);
    const store::CellValue value = sheet->value(cell.row, cell.column);
    double number = 0;
    if (value.isNumber() || value.isDate() || value.isBoolean())
        number = value.number();
    else if (value.isText())
        number = store::leadingNumber(value.text());
    if (!std::isfinite(number) || std::abs(number) > 1e15)
        return 0;
    return static_cast<long long>(std::trunc(number));
}

void ensureCounter(store::Workbook& workbook, RegisterKind kind)
{
    auto sheet = counterSheet(workbook, kind);
    const auto cell = layout::registerCounter(kind);
    if (sheet && sheet->isEmpty(cell.row, cell.column))
        sheet->setNumber(cell.row, cell.column, 0);
}

long long nextNumber(store::Workbook& workbook, RegisterKind kind)
{
    return counterValue(workbook, kind) + 1;
}

void setCounter(store::Workbook& workbook, RegisterKind kind, long long number)
{
    auto sheet = counterSheet(workbook, kind);
    const auto cell = layout::registerCounter(kind);
    if (sheet)
        sheet->setNumber(cell.row, cell.column, static_cast<double>(number));
}

std::optional<int> firstFreeRow(const store::Sheet& sheet)
{
    return sheet.firstEmptyRow(col::kNumber);
}

RecordProblem checkFields(const ProtocolRecord& record, xls::DateSystem system)
{
    if (record.date.isEmpty() || record.correspondent.isEmpty() || record.subject.isEmpty())
        return RecordProblem::MissingRequired;
    if (!isAcceptableDate(record.date, system))
        return RecordProblem::BadDate;
    if (!isAcceptableDate(record.documentDate, system))
        return RecordProblem::BadDocumentDate;
    for (const QString* text : {&record.correspondenceType, &record.documentType, &record.correspondent,
                                &record.subject, &record.note, &record.attachments, &record.sector, &record.assignee})
        if (text->size() > store::Sheet::kMaxTextLength)
            return RecordProblem::TextTooLong;
    return RecordProblem::None;
}

RecordProblem checkRecord(const ProtocolRecord& record, store::Workbook& workbook, RegisterKind kind)
{
    if (const RecordProblem problem = checkFields(record, workbook.dateSystem()); problem != RecordProblem::None)
        return problem;
    bool isNumber = false;
    const long long number = record.number.toLongLong(&isNumber);
    if (!isNumber || number < 1 || number > kMaxProtocolNumber)
        return RecordProblem::NumberOutOfRange;
    const auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet || !firstFreeRow(*sheet))
        return RecordProblem::RegisterFull;
    return RecordProblem::None;
}

bool writeRecord(store::Sheet& sheet, int row, const ProtocolRecord& record)
{
    bool written = true;
    const auto writeDate = [&](int column, const QString& text) {
        if (text.isEmpty()) {
            sheet.clear(row, column);
            return;
        }
        const auto date = store::parseItalianDate(text);
        written = date && sheet.setDate(row, column, *date) && written;
    };
    const auto writeText = [&](int column, const QString& text) { written = sheet.setText(row, column, text) && written; };

    writeDate(col::kDate, record.date);
    writeText(col::kCorrespondenceType, record.correspondenceType);
    writeText(col::kDocumentType, record.documentType);
    writeDate(col::kDocumentDate, record.documentDate);
    writeText(col::kCorrespondent, record.correspondent);
    writeText(col::kSubject, record.subject);
    writeText(col::kNote, record.note);
    writeText(col::kAttachments, record.attachments);
    writeText(col::kSector, record.sector);
    writeText(col::kAssignee, record.assignee);
    return written;
}

bool writeNewRecord(store::Sheet& sheet, int row, const ProtocolRecord& record, RegisterKind kind)
{
    const bool fields = writeRecord(sheet, row, record);
    const bool number = sheet.setNumber(row, col::kNumber, record.number.toDouble());
    const bool marker = sheet.setText(row, col::kMarker, registerMarker(kind));
    return fields && number && marker;
}

bool holdsNumberText(const store::Sheet& sheet, int row, const QString& text)
{
    return row >= 2 && !sheet.isEmpty(row, col::kNumber) && sheet.text(row, col::kNumber) == text;
}

bool holdsNumber(const store::Sheet& sheet, int row, double number)
{
    if (row < 2)
        return false;
    const store::CellValue value = sheet.value(row, col::kNumber);
    if (value.isNumber())
        return value.number() == number;
    return value.isText() && !value.text().isEmpty() && store::leadingNumber(value.text()) == number;
}

} // namespace quadrilo::protocol
