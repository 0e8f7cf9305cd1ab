#pragma once

// A desktop, printers and scanners for programs that run the windows without
// them: the documentation tool, samples and benchmarks.

#include "desktop/Desktop.h"
#include "desktop/Printers.h"
#include "desktop/Scanner.h"

namespace quadrilo {

// Opens nothing, and says it did.
class NoDesktop final : public Desktop {
public:
    bool openDocument(const QString&) override { return true; }
    void openWebPage(const QString&) override {}
};

// One printer, "Ufficio", the default, that takes no job.
class NoPrinters final : public Printers {
public:
    QStringList printerNames() const override { return {QStringLiteral("Ufficio")}; }
    QString defaultPrinter() const override { return QStringLiteral("Ufficio"); }
    PrintJob print(const QString&, const QString&, const DrawPages&) override
    {
        return {PrintJob::Outcome::Failed, QStringLiteral("nessuna stampante collegata"), {}};
    }
};

class NoScanner final : public Scanner {
public:
    QList<ScannerDevice> findScanners() override { return {}; }
    ScannedPage scan(const QString&, const ScanSettings&, const ScanProgress&) override
    {
        ScannedPage page;
        page.problem = QStringLiteral("nessuno scanner collegato");
        return page;
    }
};

} // namespace quadrilo
