#include "app/CommandLine.h"

#include <QDir>

namespace quadrilo {

CommandLine parseCommandLine(const QStringList& arguments, const QString& executableFolder)
{
    CommandLine line;
    QString folder = executableFolder;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--cartella")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                line.error = QStringLiteral("Manca la cartella dopo --cartella.");
                break;
            }
            folder = arguments[++i];
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.showUsage = true;
        } else {
            line.error = QStringLiteral("Opzione sconosciuta: %1").arg(argument);
            break;
        }
    }
    line.programFolder = QDir(folder).absolutePath();
    return line;
}

QString usageText()
{
    return QStringLiteral("Uso: quadrilo [--cartella CARTELLA]\n"
                          "  --cartella CARTELLA  la cartella di Protocollo.xls, Prot e Guida.pdf\n"
                          "                       (se manca, quella del programma)\n");
}

} // namespace quadrilo
