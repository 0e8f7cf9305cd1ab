#include "scan/Attachments.h"

#include "store/Layout.h"

#include <QFile>
#include <QFileInfo>

namespace quadrilo::scan {

QString safeAttachmentName(const QString& original, const QDir& folder)
{
    QString name = QFileInfo(original).fileName();
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char(' ') && c != QLatin1Char('.') && c != QLatin1Char('-')
            && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);   // no hidden files, no "..": the name stays in the folder
    if (name.isEmpty())
        name = QStringLiteral("allegato");
    const QFileInfo parts(name);
    const QString base = parts.completeBaseName().isEmpty() ? name : parts.completeBaseName();
    const QString suffix = parts.suffix().isEmpty() ? QString() : QLatin1Char('.') + parts.suffix();
    QString candidate = name;
    for (int n = 2; QFileInfo::exists(folder.filePath(candidate)); ++n)
        candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
    return candidate;
}

QString attachExistingFile(PanelContext& context, QWidget* parent)
{
    const QString chosen = context.dialogs.openFileName(parent, QStringLiteral("Scegli il file da allegare al protocollo"),
                                                        QDir::homePath(), QStringLiteral("Tutti i file (*)"));
    if (chosen.isEmpty())
        return {};
    const QDir folder(QDir(context.programFolder).filePath(store::layout::kAttachmentFolder));
    folder.mkpath(QStringLiteral("."));
    const QString name = safeAttachmentName(chosen, folder);
    if (!QFileInfo(chosen).isFile() || !QFile::copy(chosen, folder.filePath(name))) {
        context.dialogs.message(parent, QStringLiteral("Scanner"),
                                QStringLiteral("ERRORE : Il file %1 non si può copiare nella cartella Prot. Non è stato allegato.")
                                    .arg(QDir::toNativeSeparators(chosen)),
                                MessageIcon::Information);
        return {};
    }
    if (name != QFileInfo(chosen).fileName())
        context.dialogs.message(parent, kProductName,
                                QStringLiteral("Il file è stato copiato nella cartella Prot con il nome %1.").arg(name),
                                MessageIcon::Information);
    return name;
}

} // namespace quadrilo::scan
