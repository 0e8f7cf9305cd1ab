#include "desktop/Desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace quadrilo {

bool QtDesktop::openDocument(const QString& path)
{
    // A missing file is not handed on: xdg-open would show an error of its own.
    if (!QFileInfo::exists(path))
        return false;
    // xdg-open starts even when no program takes the file, and then fails unseen.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QMimeDatabase().mimeTypeForFile(path).name()});
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && query.readAllStandardOutput().trimmed().isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktop::openWebPage(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace quadrilo
