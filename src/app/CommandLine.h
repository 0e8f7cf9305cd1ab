#pragma once

// The program's command line: quadrilo [--cartella DIR].

#include <QString>
#include <QStringList>

#include <optional>

namespace quadrilo {

struct CommandLine {
    QString programFolder;   // absolute
    bool showUsage = false;  // --help
    QString error;           // an option not understood, in Italian
};

// arguments as QCoreApplication::arguments() gives them (the program first);
// executableFolder is the default program folder.
CommandLine parseCommandLine(const QStringList& arguments, const QString& executableFolder);

// The usage text, in Italian.
QString usageText();

} // namespace quadrilo
