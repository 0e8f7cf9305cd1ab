#include "settings/LookupLists.h"

#include "store/Layout.h"
#include "store/Sheet.h"

#include <QComboBox>
#include <QStringList>

namespace quadrilo::settings {

void fillLookupList(store::Workbook& workbook, int column, QComboBox& control)
{
    auto sheet = workbook.sheet(store::layout::kVarie);
    if (!sheet)
        return;
    sheet->activate();
    QStringList entries;
    const int last = sheet->lastUsedRow();
    for (int row = 1; row <= last && !sheet->isEmpty(row, column); ++row)
        entries << sheet->text(row, column);

    const QString shown = control.currentText();
    control.clear();
    control.addItems(entries);
    if (control.isEditable())
        control.setEditText(shown);
    else
        control.setCurrentIndex(-1);
}

std::optional<int> firstEmptyRow(const store::Sheet& sheet, int column)
{
    const int last = std::min(sheet.lastUsedRow() + 1, xls::kMaxRows);
    for (int row = 1; row <= last; ++row)
        if (sheet.isEmpty(row, column))
            return row;
    return std::nullopt;
}

} // namespace quadrilo::settings
