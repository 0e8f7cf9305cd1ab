#include "contacts/ContactRecords.h"

#include "store/TypedInput.h"

#include <cmath>

namespace quadrilo::contacts {

namespace layout = store::layout;
namespace col = store::layout::contact;

long long contactCounter(store::Workbook& workbook)
{
    const auto& cell = layout::kContactIdCounter;
    const auto sheet = workbook.sheet(cell.sheet);
    if (!sheet)
        return 0;
    const store::CellValue value = sheet->value(cell.row, cell.column);
    const double number = value.isText() ? store::leadingNumber(value.text()) : value.number();
    return std::isfinite(number) && std::abs(number) < 1e15 ? static_cast<long long>(std::trunc(number)) : 0;
}

void setContactCounter(store::Workbook& workbook, long long id)
{
    const auto& cell = layout::kContactIdCounter;
    if (auto sheet = workbook.sheet(cell.sheet))
        sheet->setNumber(cell.row, cell.column, static_cast<double>(id));
}

std::optional<int> findContactById(const store::Sheet& sheet, double id)
{
    const int last = sheet.endDown(2, col::kId);
    for (int row = 2; row <= last && !sheet.isEmpty(row, col::kId); ++row) {
        const store::CellValue value = sheet.value(row, col::kId);
        if (value.isNumber() && value.number() == id)
            return row;
    }
    return std::nullopt;
}

ContactTexts readContact(const store::Sheet& sheet, int row)
{
    ContactTexts texts;
    for (int column = col::kId; column <= col::kHeaderCount; ++column)
        texts[static_cast<size_t>(column - 1)] = sheet.text(row, column);
    return texts;
}

bool writeContactFields(store::Sheet& sheet, int row, const ContactTexts& texts)
{
    bool written = true;
    for (int column = col::kName; column <= col::kHeaderCount; ++column)
        written = sheet.setText(row, column, texts[static_cast<size_t>(column - 1)]) && written;
    return written;
}

void sortContacts(store::Workbook& workbook)
{
    auto sheet = workbook.sheet(layout::kCliente);
    if (!sheet)
        return;
    sheet->activate();
    const int last = sheet->lastUsedRow();
    if (last < 3)
        return;
    sheet->sort(store::RangeRef::cells(1, col::kId, last, col::kHeaderCount), col::kName, true, true);
}

} // namespace quadrilo::contacts
