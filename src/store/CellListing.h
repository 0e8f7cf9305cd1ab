#pragma once

// Every non-empty cell of a workbook as tab-separated lines: sheet, A1 address,
// type (text, number, date, bool, error) and value. Texts keep their content
// with \\, \t, \n and \r escaped; whole numbers have no decimal point, others a
// point and up to 15 significant digits; dates are YYYY-MM-DD, with THH:MM:SS
// when they hold a time, and a bare HH:MM:SS below one day. Sheets in workbook
// order, cells row by row.

#include "xls/Workbook.h"

#include <QString>

namespace quadrilo::store {

QString cellListingLine(const xls::Workbook& workbook, const xls::Sheet& sheet, int row, int column);
QString cellListing(const xls::Workbook& workbook);

} // namespace quadrilo::store
