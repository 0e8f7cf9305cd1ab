// Quadrilo: the correspondence register of an office, kept in Protocollo.xls.

#include "app/CommandLine.h"
#include "app/FirstStart.h"
#include "app/Form2.h"
#include "app/Logo.h"
#include "desktop/Desktop.h"
#include "desktop/Printers.h"
#include "desktop/QtDialogs.h"
#include "scan/SaneScanner.h"
#include "store/Layout.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

namespace {

// Qt's own texts (buttons, file and print dialogs, context menus) in Italian.
void loadItalianTranslations(QApplication& app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_it", "qt_it"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(catalogue), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // The command line first: --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const quadrilo::CommandLine line = quadrilo::parseCommandLine(arguments);
    if (!line.error.isEmpty() || line.showUsage || line.showVersion) {
        QTextStream out(line.error.isEmpty() ? stdout : stderr);
        if (!line.error.isEmpty())
            out << line.error << '\n';
        out << (line.showVersion && line.error.isEmpty() ? quadrilo::versionText() : quadrilo::usageText());
        return line.error.isEmpty() ? 0 : 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quadrilo"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quadrilo.Quadrilo"));
    QApplication::setWindowIcon(quadrilo::programIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    loadItalianTranslations(app);

    const quadrilo::ProgramFolder folder = quadrilo::programFolder(
        line, QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    quadrilo::QtDialogs dialogs;
    const bool noArchiveYet = !QFileInfo::exists(QDir(folder.path).filePath(quadrilo::store::layout::kWorkbookFileName));
    if (folder.perUser && noArchiveYet) {
        quadrilo::FirstStart firstStart(dialogs, folder.path);
        if (firstStart.exec() != QDialog::Accepted)
            return 0;
    }

    quadrilo::QtDesktop desktop;
    quadrilo::SystemClock clock;
    quadrilo::QtPrinters printers;
    quadrilo::scan::SaneScanner scanner;
    quadrilo::Form2 login(
        quadrilo::ProgramSetup{dialogs, desktop, clock, printers, scanner, folder.path, [] { QCoreApplication::exit(0); }, {}});
    if (!login.Form_Load())
        return 1;
    login.show();
    return app.exec();
}
