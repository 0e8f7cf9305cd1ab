#pragma once

// The three lists printed from the printing and settings panels: the lookup
// lists of Varie, and the two registers.

#include "store/Workbook.h"

#include <QDate>
#include <QString>

#include <optional>

namespace quadrilo::printing {

// The codes the opening buttons give the printer window.
enum class ListCode { Lists = 5, Entrata = 6, Uscita = 7 };

struct ListSpec {
    QString sheet;
    int lastColumn;   // E for the lists, K for the registers
    QString title;    // the header's opening words
};
ListSpec listSpec(ListCode code);

// Zoom percentages a page setup takes.
inline constexpr int kMinZoom = 10;
inline constexpr int kMaxZoom = 400;
// The typed zoom rounded to a whole number; nullopt for no number or one
// outside 10 to 400.
std::optional<int> parseZoom(const QString& text);

// The owner name of Varie!R2 as a header text holds it ("&" doubled).
QString headerOwnerName(store::Workbook& workbook);
// The margins every printed list has: 0.21 inch, 0.5 at the top; one page
// wide and tall; gridlines; A4; the zoom governing the scale.
void setListPage(xls::PageSetup& page, int zoom);

// Lays out the list's sheet for printing: the centre header (title, owner
// name, " --del     ", the date), the margins, one page wide and tall,
// gridlines, portrait A4, the zoom, and the print area from A1 down the run
// of filled cells of column A, across the list's columns. The page setup
// stays in the workbook.
void applyListPageSetup(store::Workbook& workbook, ListCode code, QDate today, int zoom);

} // namespace quadrilo::printing
