#include "printing/ContactListPrinting.h"

#include "desktop/Printers.h"
#include "printing/ListPrinting.h"
#include "printing/PrintOutcome.h"
#include "printing/SheetPrint.h"
#include "store/Layout.h"
#include "store/Sheet.h"

namespace quadrilo::printing {

namespace layout = store::layout;

namespace {

constexpr int kPageCell = 47;   // AU1: the page being offered
constexpr int kCountCell = 48;  // AV1: the page count

void layOutContacts(store::Workbook& workbook, store::Sheet& sheet, QDate today, int zoom)
{
    const QString owner = headerOwnerName(workbook);
    const int lastRow = sheet.isEmpty(1, 1) ? 1 : sheet.endDown(1, 1);
    xls::PageSetup& page = sheet.editPageSetup();
    page.printArea = {xls::CellRange{0, lastRow - 1, 0, layout::contact::kHeaderCount - 1}};
    page.titleRows = xls::Span{0, 0};
    page.titleColumns = xls::Span{0, 1};
    page.header = QStringLiteral("&CStampa  Contatti       ") + owner + QStringLiteral("------") + QStringLiteral(" del     ")
        + today.toString(QStringLiteral("dd/MM/yyyy"));
    setListPage(page, zoom);
    page.printHeadings = false;
    page.printNotes = false;
    page.horizontalResolution = 600;
    page.verticalResolution = 600;
    page.centerHorizontally = false;
    page.centerVertically = false;
    page.draft = false;
    page.firstPageNumber.reset();
    page.overThenDown = false;
    page.blackAndWhite = false;
    page.printErrors = 0;
    page.orientation = xls::Orientation::Landscape;
}

} // namespace

QString pageQuestion(int page, int count)
{
    return QStringLiteral("Vuoi Procedere alla stampa   ? ") + QStringLiteral(" Pagine     ") + QString::number(page)
        + QStringLiteral("    di    ") + QString::number(count);
}

std::optional<int> printContactList(PanelContext& context, QWidget* parent)
{
    Dialogs& dialogs = context.dialogs;
    store::Workbook& workbook = context.workbook();
    auto sheet = workbook.sheet(layout::kCliente);
    if (!sheet || sheet->isEmpty(2, 1)) {
        dialogs.message(parent, kProductName,
                        QStringLiteral(" La stampa non può essere eseguita in assenza di Contatti inseriti .................."),
                        MessageIcon::Information);
        return std::nullopt;
    }
    sheet->activate();
    sheet->clear(1, kPageCell);
    sheet->clear(1, kCountCell);
    const auto answer = dialogs.inputBox(
        parent, kProductName, QStringLiteral("Digita la percentuale di Zoom della Stampa 50-60-70-80-90-100.................."),
        QStringLiteral("70"));
    if (!answer)
        return std::nullopt;  // Annulla: nothing printed
    const auto zoom = parseZoom(*answer);
    if (!zoom) {
        dialogs.message(parent, kProductName,
                        QStringLiteral(" ERRORE: La percentuale di Zoom deve essere un numero da %1 a %2 !").arg(kMinZoom).arg(kMaxZoom),
                        MessageIcon::Information);
        return std::nullopt;
    }
    layOutContacts(workbook, *sheet, context.clock.now().date(), *zoom);
    const int count = planPrint(*sheet).pagesDown;
    const QString printer = context.printers.currentPrinter();
    const PageFacts facts = pageFacts(context.clock.now(), context.session.path());
    int printed = 0;
    for (int page = 1; page <= count; ++page) {
        sheet->setNumber(1, kPageCell, page);
        sheet->setNumber(1, kCountCell, count);
        if (!dialogs.askYesNo(parent, QStringLiteral("Stampa Risultato "), pageQuestion(page, count)))
            break;
        if (printer.isEmpty()) {
            dialogs.message(parent, kProductName, QStringLiteral(" ERRORE: Nessuna stampante predefinita: la stampa non è stata eseguita !"),
                            MessageIcon::Stop);
            break;
        }
        const PrintJob job = context.printers.print(printer, QStringLiteral("Stampa Contatti"), [&](QPagedPaintDevice& device) {
            printSheet(device, *sheet, page, {}, facts);
            return true;
        });
        if (!tellPrintOutcome(dialogs, parent, job, printer))
            break;
        ++printed;
    }
    context.saveWorkbook();
    return printed;
}

} // namespace quadrilo::printing
