#pragma once

// The five lookup lists of sheet Varie, columns A to E.

#include "store/Sheet.h"
#include "store/Workbook.h"

#include <optional>

class QComboBox;

namespace quadrilo::settings {

// FillLookupList: the control's entries become the cells of the column of
// Varie from row 1 (the header) down to the first empty cell, in row order.
// Sheet Varie is selected. An editable control keeps the text it shows; a
// drop-down list is left with no entry chosen.
void fillLookupList(store::Workbook& workbook, int column, QComboBox& control);

// The first empty cell of the column from row 1 down, where a new value goes;
// nullopt when the column is full.
std::optional<int> firstEmptyRow(const store::Sheet& sheet, int column);

} // namespace quadrilo::settings
