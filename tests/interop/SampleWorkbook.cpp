// Writes a workbook with widths, frozen panes and a page setup set through the
// store, for LibreOffice to read back: sample-workbook FILE PASSWORD.

#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>

using namespace quadrilo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sample-workbook FILE PASSWORD\n");
        return 2;
    }
    store::Workbook book = store::layout::createArchive(QStringLiteral("admin"), QStringLiteral("admin"));
    auto entrata = book.sheet(store::layout::kEntrata);
    for (int r = 2; r <= 25; ++r) {
        entrata->setNumber(r, 1, r - 1);
        entrata->setDate(r, 2, QDate(2026, 12, 1).addDays(r));
        entrata->setText(r, 7, QStringLiteral("Oggetto della lettera numero %1").arg(r - 1));
    }
    entrata->setColumnWidth(47, 32.86);   // AU, the label cell
    entrata->setColumnWidth(7, 40);
    entrata->setRowHeight(1, 107);
    auto& page = entrata->editPageSetup();
    page.header = QStringLiteral("&CStampa  Lista Protocolli in Entrata  ---Comune di Prova --del     08/12/2026");
    page.leftMargin = 0.21;
    page.rightMargin = 0.21;
    page.topMargin = 0.5;
    page.bottomMargin = 0.21;
    page.headerMargin = 0.21;
    page.footerMargin = 0.21;
    page.fitToPage = true;
    page.fitWidth = 1;
    page.fitHeight = 1;
    page.printGridlines = true;
    page.orientation = xls::Orientation::Portrait;
    page.paperSize = 9;
    page.printerSettingsValid = true;
    page.printArea = {{0, 24, 0, 10}};

    auto cliente = book.sheet(store::layout::kCliente);
    cliente->freezePanes({3, 2});
    auto& contacts = cliente->editPageSetup();
    contacts.orientation = xls::Orientation::Landscape;
    contacts.paperSize = 9;
    contacts.printerSettingsValid = true;
    contacts.centerHorizontally = true;
    contacts.scale = 70;
    contacts.titleRows = xls::Span{0, 0};
    contacts.titleColumns = xls::Span{0, 1};
    contacts.printArea = {{0, 9, 0, 16}};

    store::SessionOptions options;
    options.password = QString::fromLocal8Bit(argv[2]);
    auto saved = store::saveWorkbookFile(book.data(), QString::fromLocal8Bit(argv[1]), options);
    if (!saved) {
        std::fprintf(stderr, "%s\n", saved.error().detail.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
