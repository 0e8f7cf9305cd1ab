#include "desktop/Printers.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace quadrilo {

QStringList QtPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinters::defaultPrinter() const
{
    return QPrinterInfo::defaultPrinterName();
}

bool QtPrinters::print(const QString& printer, const QString& jobName, const std::function<void(QPagedPaintDevice&)>& draw)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return false;
    QPrinter device(info, QPrinter::HighResolution);
    device.setFullPage(true);  // the drawing keeps its own margins
    device.setDocName(jobName);
    device.setCopyCount(1);
    if (!device.isValid())
        return false;
    draw(device);
    return device.printerState() != QPrinter::Error && device.printerState() != QPrinter::Aborted;
}

} // namespace quadrilo
