#pragma once

// A sheet drawn on paper as its page setup says: the print area, the header
// and footer with their left, centre and right sections, the margins,
// gridlines, the zoom or the fit to one page, the paper and its orientation;
// rows go down the pages, then columns across. Every cell's text shows whole:
// a column is widened to its longest text as the page's font measures it, and
// a text too long even for that wraps in a taller row.

#include "store/Sheet.h"

#include <QDateTime>
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

// What the codes of a header or footer stand for on one page.
struct PageFacts {
    int page = 1;          // &P
    int pages = 1;         // &N
    QDateTime printedAt;   // &D and &T
    QString fileName;      // &F
    QString sheetName;     // &A
};
// The three sections of a header or footer text ("&L...&C...&R..."; a text
// without section codes is a centre text), their codes replaced and their
// formatting codes (fonts, sizes, bold, colours) dropped.
struct Sections {
    QString left;
    QString centre;
    QString right;
};
Sections headerSections(const QString& text, const PageFacts& facts);

struct PrintPlan {
    double scale = 1;      // of the sheet's natural size
    int pages = 0;
    int pagesDown = 0;     // the horizontal page breaks plus one
    bool cancelled = false;
};
// How the sheet will be printed: its scale and the number of pages.
PrintPlan planPrint(const store::Sheet& sheet);
// Told after each page drawn: how many are drawn, out of how many; false
// stops the printout there.
using PageProgress = std::function<bool(int drawn, int total)>;
// Draws every page on device, which must not be painted on yet; with
// onlyPage, that page alone (1-based, down then across). Rows and columns of
// the page setup's titles head every page. facts gives the date, time and
// file name of the header codes (the page numbers are counted here).
// The date, time and workbook file name for the header codes of a printout
// made now.
PageFacts pageFacts(const QDateTime& now, const QString& workbookPath);

PrintPlan printSheet(QPagedPaintDevice& device, const store::Sheet& sheet, std::optional<int> onlyPage = std::nullopt,
                     const PageProgress& progress = {}, const PageFacts& facts = {});

} // namespace quadrilo::printing
