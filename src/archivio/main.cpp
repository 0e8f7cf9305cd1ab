#include "archivio/ArchiveTool.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return quadrilo::archivio::run(arguments, stdout, stderr);
}
