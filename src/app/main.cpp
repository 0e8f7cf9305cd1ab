// Quadrilo: the correspondence register of an office, kept in Protocollo.xls.

#include "app/CommandLine.h"
#include "app/Form2.h"
#include "desktop/Desktop.h"
#include "desktop/Printers.h"
#include "desktop/QtDialogs.h"
#include "scan/SaneScanner.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quadrilo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quadrilo"));
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    const quadrilo::CommandLine line =
        quadrilo::parseCommandLine(QCoreApplication::arguments(), QCoreApplication::applicationDirPath());
    if (!line.error.isEmpty() || line.showUsage) {
        QTextStream err(stderr);
        if (!line.error.isEmpty())
            err << line.error << '\n';
        err << quadrilo::usageText();
        return line.error.isEmpty() ? 0 : 2;
    }

    quadrilo::QtDialogs dialogs;
    quadrilo::QtDesktop desktop;
    quadrilo::SystemClock clock;
    quadrilo::QtPrinters printers;
    quadrilo::scan::SaneScanner scanner;
    quadrilo::Form2 login(
        quadrilo::ProgramSetup{dialogs, desktop, clock, printers, scanner, line.programFolder, [] { QCoreApplication::exit(0); }, {}});
    if (!login.Form_Load())
        return 1;
    login.show();
    return app.exec();
}
