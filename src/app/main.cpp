// Quadrilo: the correspondence register of an office, kept in Protocollo.xls.

#include "app/Form2.h"
#include "app/seams/QtDialogs.h"
#include "app/seams/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

namespace {

const char kUsage[] = "Uso: quadrilo [--cartella CARTELLA]\n"
                      "  --cartella CARTELLA  la cartella di Protocollo.xls, Prot e Guida.pdf\n"
                      "                       (se manca, quella del programma)\n";

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quadrilo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quadrilo"));
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    QString folder = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cartella") && i + 1 < args.size()) {
            folder = args[++i];
        } else {
            QTextStream(stderr) << (args[i] == QLatin1String("--help") ? QString() : QStringLiteral("Opzione sconosciuta: %1\n").arg(args[i]))
                                << QString::fromUtf8(kUsage);
            return args[i] == QLatin1String("--help") ? 0 : 2;
        }
    }

    quadrilo::QtDialogs dialogs;
    quadrilo::QtDesktop desktop;
    quadrilo::SystemClock clock;
    quadrilo::Form2 login(quadrilo::ProgramSetup{dialogs, desktop, clock, QDir(folder).absolutePath(),
                                                 [] { QCoreApplication::exit(0); }, {}});
    if (!login.Form_Load())
        return 1;
    login.show();
    return app.exec();
}
