#pragma once

// The program's command line: quadrilo [--cartella DIR] [--help] [--version],
// and where the program folder is.

#include <QString>
#include <QStringList>

namespace quadrilo {

struct CommandLine {
    QString folder;            // --cartella, absolute; empty when not given
    bool showUsage = false;    // --help
    bool showVersion = false;  // --version
    QString error;             // an option not understood, in Italian
};

// arguments as main() has them, the program first. Needs no display.
CommandLine parseCommandLine(const QStringList& arguments);

struct ProgramFolder {
    QString path;
    // A folder of the user's own, chosen because the program is installed:
    // a first start there leads to a new or brought archive.
    bool perUser = false;
};

// --cartella's folder when given; otherwise the executable's folder when the
// program runs from a folder of its own (writable, not a system one); otherwise
// the folder Quadrilo in the user's documents.
ProgramFolder programFolder(const CommandLine& line, const QString& executableFolder, const QString& documentsFolder);

// Whether programs of that folder are installed ones (/usr/bin, /opt/...,
// or a folder the user may not write).
bool isInstalledLocation(const QString& executableFolder);

QString usageText();
QString versionText();

} // namespace quadrilo
