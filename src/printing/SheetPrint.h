#pragma once

// A sheet drawn on paper as its page setup says: the print area, the centre
// header, the margins, gridlines, the zoom or the fit to one page, the paper
// and its orientation; rows go down the pages, then columns across.

#include "store/Sheet.h"

#include <QPageLayout>

#include <functional>
#include <optional>

class QPagedPaintDevice;

namespace quadrilo::printing {

// The cells a printout covers: the first print area, or the used cells.
store::RangeRef printRange(const store::Sheet& sheet);
// The page of the sheet's page setup, without margins of its own (the
// drawing keeps the sheet's margins).
QPageLayout pageLayout(const xls::PageSetup& setup);
// The part of a header or footer text between its "&C" code and the next
// section code; texts without codes are centre texts.
QString centreSection(const QString& headerText);

struct PrintPlan {
    double scale = 1;      // of the sheet's natural size
    int pages = 0;
    int pagesDown = 0;     // the horizontal page breaks plus one
};
// How the sheet will be printed: its scale and the number of pages.
PrintPlan planPrint(const store::Sheet& sheet);
// Told after each page drawn: how many are drawn, out of how many.
using PageProgress = std::function<void(int drawn, int total)>;
// Draws every page on device, which must not be painted on yet; with
// onlyPage, that page alone (1-based, down then across). Rows and columns of
// the page setup's titles head every page.
PrintPlan printSheet(QPagedPaintDevice& device, const store::Sheet& sheet, std::optional<int> onlyPage = std::nullopt,
                     const PageProgress& progress = {});

} // namespace quadrilo::printing
