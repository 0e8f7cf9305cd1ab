#include "archivio/ArchiveTool.h"

#include <QGuiApplication>

#include <string_view>

int main(int argc, char** argv)
{
    // The daily register lays out text, which needs the fonts of a GUI
    // application; it never shows a window, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings (in English, about the desktop session) are no news for this tool's user.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "default.warning=false;qt.*.warning=false");
    QGuiApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return quadrilo::archivio::run(arguments, stdout, stderr);
}
