#pragma once

// The five lookup lists of sheet Varie, columns A to E.

#include "store/Workbook.h"

class QComboBox;

namespace quadrilo::settings {

// FillLookupList: the control's entries become the cells of the column of
// Varie from row 1 (the header) down to the first empty cell, in row order.
// Sheet Varie is selected. An editable control keeps the text it shows; a
// drop-down list is left with no entry chosen.
void fillLookupList(store::Workbook& workbook, int column, QComboBox& control);

} // namespace quadrilo::settings
