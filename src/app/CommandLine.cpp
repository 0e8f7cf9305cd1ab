#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>

namespace quadrilo {

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--cartella")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                line.error = QStringLiteral("Manca la cartella dopo --cartella.");
                break;
            }
            line.folder = QDir(arguments[++i]).absolutePath();
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.showUsage = true;
        } else if (argument == QLatin1String("--version")) {
            line.showVersion = true;
        } else {
            line.error = QStringLiteral("Opzione sconosciuta: %1").arg(argument);
            break;
        }
    }
    return line;
}

bool isInstalledLocation(const QString& executableFolder)
{
    const QString folder = QDir::cleanPath(QFileInfo(executableFolder).absoluteFilePath());
    static const char* const systemPrefixes[] = {"/usr", "/opt", "/bin", "/sbin", "/snap", "/app", "/nix"};
    for (const char* prefix : systemPrefixes) {
        const QString p = QString::fromLatin1(prefix);
        if (folder == p || folder.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return !QFileInfo(folder).isWritable();
}

ProgramFolder programFolder(const CommandLine& line, const QString& executableFolder, const QString& documentsFolder)
{
    if (!line.folder.isEmpty())
        return {line.folder, false};
    if (!isInstalledLocation(executableFolder))
        return {QDir(executableFolder).absolutePath(), false};
    return {QDir(documentsFolder).absoluteFilePath(QStringLiteral("Quadrilo")), true};
}

QString usageText()
{
    return QStringLiteral("Uso: quadrilo [--cartella CARTELLA]\n"
                          "  --cartella CARTELLA  la cartella di Protocollo.xls e Prot\n"
                          "                       (se manca: quella del programma, oppure, per il\n"
                          "                       programma installato, Documenti/Quadrilo)\n"
                          "  --help               mostra questo aiuto\n"
                          "  --version            mostra la versione\n");
}

QString versionText()
{
    return QStringLiteral("Quadrilo " QUADRILO_VERSION "\n");
}

} // namespace quadrilo
