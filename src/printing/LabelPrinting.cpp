#include "printing/LabelPrinting.h"

#include "desktop/Printers.h"
#include "printing/PrintOutcome.h"
#include "printing/SheetPrint.h"
#include "store/Sheet.h"

namespace quadrilo::printing {

namespace layout = store::layout;
using layout::RegisterKind;

namespace {

constexpr int kLabelRow = 1;
constexpr int kLabelColumn = 47;  // AU

} // namespace

QString labelText(RegisterKind kind, const LabelFields& fields)
{
    const bool entrata = kind == RegisterKind::Entrata;
    return (entrata ? QStringLiteral("N.Prot/Entrata       ") : QStringLiteral("N.Prot/Uscita       ")) + fields.number
        + QLatin1Char('\n') + QStringLiteral("Data      ") + fields.date + QLatin1Char('\n')
        + (entrata ? QStringLiteral("Mittente : ") : QStringLiteral("Destinatario :")) + fields.correspondent
        + QLatin1Char('\n') + (entrata ? QStringLiteral("Settore:  ") : QStringLiteral("Settore: ")) + fields.sector
        + QLatin1Char('\n') + (entrata ? QStringLiteral("Assegnata a: ") : QStringLiteral("Assegnata a:")) + fields.assignee;
}

LabelOutcome printProtocolLabel(PanelContext& context, QWidget* parent, RegisterKind kind, const LabelFields& fields)
{
    for (const QString* field : {&fields.number, &fields.date, &fields.correspondent, &fields.sector, &fields.assignee})
        if (field->isEmpty()) {
            context.dialogs.message(parent, kProductName,
                                    QStringLiteral(" ERRORE- I Campi DATA /MITTENTE - DESTINATARIO/OGGETTO  devono essere sempre compilati !"),
                                    MessageIcon::None);
            return LabelOutcome::MissingField;
        }
    auto sheet = context.workbook().sheet(layout::kEntrata);
    if (!sheet)
        return LabelOutcome::PrintFailed;
    sheet->activate();
    sheet->select(store::CellRef{kLabelRow, kLabelColumn});
    const store::RangeRef cell = store::RangeRef::cell(kLabelRow, kLabelColumn);
    sheet->setRowHeight(kLabelRow, 107);
    sheet->setColumnWidth(kLabelColumn, 32.86);
    sheet->setFontSize(cell, 9);
    sheet->setHorizontalAlignment(cell, xls::HorizontalAlignment::Left);
    sheet->setVerticalAlignment(cell, xls::VerticalAlignment::Top);
    sheet->setWrap(cell, true);
    sheet->setIndent(cell, 2);
    sheet->setShrinkToFit(cell, false);
    sheet->setRotation(cell, 0);
    sheet->setReadingOrder(cell, xls::ReadingOrder::Context);
    sheet->unmerge(cell);
    sheet->setText(kLabelRow, kLabelColumn, labelText(kind, fields));

    // The cell alone is the print area while the label prints.
    sheet->editPageSetup().printArea = {xls::CellRange{kLabelRow - 1, kLabelRow - 1, kLabelColumn - 1, kLabelColumn - 1}};
    const QString printer = context.printers.currentPrinter();
    PrintJob job;
    if (printer.isEmpty())
        job.problem = QStringLiteral("nessuna stampante scelta né predefinita");
    else
        job = context.printers.print(printer, QStringLiteral("Etichetta protocollo"), [&](QPagedPaintDevice& device) {
            printSheet(device, *sheet, std::nullopt, {}, pageFacts(context.clock.now(), context.session.path()));
            return true;
        });
    sheet->editPageSetup().printArea = {};

    sheet->select(store::CellRef{5, 46});  // AT5
    sheet->clear(kLabelRow, kLabelColumn);
    sheet->select(store::CellRef{kLabelRow, kLabelColumn});
    sheet->setRowHeight(kLabelRow, 14);
    if (printer.isEmpty()) {
        context.dialogs.message(parent, kProductName, QStringLiteral(" ERRORE: Nessuna stampante predefinita: l'etichetta non è stata stampata !"),
                                MessageIcon::Stop);
        return LabelOutcome::PrintFailed;
    }
    return tellPrintOutcome(context.dialogs, parent, job, printer) ? LabelOutcome::Printed : LabelOutcome::PrintFailed;
}

} // namespace quadrilo::printing
