#include "desktop/Desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace quadrilo {

void QtDesktop::openDocument(const QString& path)
{
    // A missing file is not handed on: xdg-open would show an error of its own.
    if (!QFileInfo::exists(path))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktop::openWebPage(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace quadrilo
