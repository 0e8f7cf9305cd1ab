#include "printing/ListPrinting.h"

#include "store/Layout.h"
#include "store/Sheet.h"

#include <QLocale>

#include <cmath>

namespace quadrilo::printing {

namespace layout = store::layout;

ListSpec listSpec(ListCode code)
{
    switch (code) {
    case ListCode::Lists: return {layout::kVarie, 5, QStringLiteral("Stampa  Causali e Varie  ---")};
    case ListCode::Entrata: return {layout::kEntrata, 11, QStringLiteral("Stampa  Lista Protocolli in Entrata  ---")};
    case ListCode::Uscita: return {layout::kUscita, 11, QStringLiteral("Stampa  Lista Protocolli in Uscita  ---")};
    }
    return {layout::kEntrata, 11, QString()};
}

std::optional<int> parseZoom(const QString& text)
{
    bool ok = false;
    const double value = QLocale(QLocale::Italian).toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    const double rounded = std::round(value);
    if (rounded < kMinZoom || rounded > kMaxZoom)
        return std::nullopt;
    return static_cast<int>(rounded);
}

QString headerOwnerName(store::Workbook& workbook)
{
    const auto varie = workbook.sheet(layout::kVarie);
    QString owner = varie ? varie->text(layout::kOwnerName.row, layout::kOwnerName.column) : QString();
    return owner.replace(QLatin1Char('&'), QStringLiteral("&&"));  // a plain "&" in a header starts a code
}

void setListPage(xls::PageSetup& page, int zoom)
{
    page.leftMargin = 0.21;
    page.rightMargin = 0.21;
    page.topMargin = 0.5;
    page.bottomMargin = 0.21;
    page.headerMargin = 0.21;
    page.footerMargin = 0.21;
    page.fitWidth = 1;
    page.fitHeight = 1;
    page.printGridlines = true;
    page.paperSize = 9;
    page.printerSettingsValid = true;
    // A zoom of its own governs the scale, as it does once set after the fit.
    page.fitToPage = false;
    page.scale = static_cast<std::uint16_t>(zoom);
}

void applyListPageSetup(store::Workbook& workbook, ListCode code, QDate today, int zoom)
{
    const ListSpec list = listSpec(code);
    auto sheet = workbook.sheet(list.sheet);
    if (!sheet)
        return;
    const QString owner = headerOwnerName(workbook);
    sheet->activate();
    const int lastRow = sheet->isEmpty(1, 1) ? 1 : sheet->endDown(1, 1);

    xls::PageSetup& page = sheet->editPageSetup();
    page.header = QStringLiteral("&C") + list.title + owner + QStringLiteral(" --del     ") + today.toString(QStringLiteral("dd/MM/yyyy"));
    setListPage(page, zoom);
    page.orientation = xls::Orientation::Portrait;
    page.printArea = {xls::CellRange{0, lastRow - 1, 0, list.lastColumn - 1}};
}

} // namespace quadrilo::printing
