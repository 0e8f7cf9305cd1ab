#include "store/ArchiveFolder.h"

#include "store/FileLock.h"
#include "xls/Reader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace quadrilo::store {
namespace {

QString workbookIn(const QString& folder)
{
    return QDir(folder).absoluteFilePath(layout::kWorkbookFileName);
}

// The folder and its Prot; the workbook's path unless it is there already.
xls::Result<QString, SessionError> prepareFolder(const QString& folder)
{
    const QString path = workbookIn(folder);
    if (QFileInfo::exists(path))
        return SessionError::make(SessionError::Kind::Exists, path);
    if (!QDir().mkpath(QDir(folder).absoluteFilePath(layout::kAttachmentFolder)))
        return SessionError::make(SessionError::Kind::SaveFailed, path, QStringLiteral("impossibile creare la cartella %1").arg(folder));
    return path;
}

} // namespace

void setAccessPasswords(Workbook& workbook, const AccessPasswords& access, const QString& userPassword)
{
    auto varie = workbook.sheet(layout::kVarie);
    if (!varie)
        return;
    const auto set = [&](const layout::CellLocation& cell, const QString& given) {
        varie->setText(cell.row, cell.column, given.isEmpty() ? userPassword : given);
    };
    set(layout::kUsersPassword, access.usersArea);
    set(layout::kHostPassword, access.excel);
}

bool copyWhole(const QString& source, const QString& target)
{
    const QString temporary = target + QStringLiteral(".parziale");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    // Replaces target at once (QFile::rename would not replace it).
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

xls::Result<QString, SessionError> createArchiveFolder(const QString& folder, const QString& login, const QString& password,
                                                       const AccessPasswords& access)
{
    auto path = prepareFolder(folder);
    if (!path)
        return path;
    Workbook workbook = layout::createArchive(login, password);
    setAccessPasswords(workbook, access, password);
    SessionOptions options;
    options.password = layout::kWorkbookPassword;
    auto saved = saveWorkbookFile(workbook.data(), *path, options);
    if (!saved)
        return saved.error();
    return path;
}

xls::Result<xls::Done, SessionError> checkArchiveFile(const QString& path)
{
    xls::ReadOptions readOptions;
    readOptions.password = layout::kWorkbookPassword;
    auto read = xls::readWorkbookFile(path, readOptions);
    if (!read) {
        SessionError error = SessionError::make(SessionError::Kind::Unreadable, path);
        error.cause = read.error();
        return error;
    }
    if (const QStringList missing = layout::missingSheets(read->workbook); !missing.isEmpty())
        return SessionError::make(SessionError::Kind::NotAnArchive, path, missing.front());
    return xls::Done{};
}

xls::Result<QString, SessionError> bringArchive(const QString& workbookPath, const QString& folder,
                                                const std::function<void(int done, int total)>& progress)
{
    if (auto archive = checkArchiveFile(workbookPath); !archive)
        return archive.error();

    // A workbook in use goes on changing: a copy of it would part from it.
    FileLock sourceLock;
    if (sourceLock.acquire(workbookPath) != FileLock::Outcome::Acquired)
        return SessionError::make(SessionError::Kind::InUse, workbookPath);
    auto path = prepareFolder(folder);
    if (!path)
        return path;
    const QDir sourceAttachments(QFileInfo(workbookPath).absoluteDir().filePath(layout::kAttachmentFolder));
    QStringList files;
    if (sourceAttachments.exists()) {
        QDirIterator it(sourceAttachments.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << sourceAttachments.relativeFilePath(it.next());
    }
    const int total = static_cast<int>(files.size()) + 1;
    // The attachments first: the workbook comes last, so that a folder
    // holding Protocollo.xls holds all that came with it.
    const QDir targetAttachments(QDir(folder).absoluteFilePath(layout::kAttachmentFolder));
    for (int i = 0; i < files.size(); ++i) {
        if (progress)
            progress(i, total);
        const QString source = sourceAttachments.filePath(files[i]);
        const QString target = targetAttachments.filePath(files[i]);
        QDir().mkpath(QFileInfo(target).absolutePath());
        // A file of that name already there is kept only when it is the same.
        if (QFileInfo::exists(target)) {
            QFile a(source), b(target);
            if (a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size() && a.readAll() == b.readAll())
                continue;
            return SessionError::make(SessionError::Kind::Exists, target);
        }
        if (!QFile::copy(source, target))
            return SessionError::make(SessionError::Kind::SaveFailed, target, QStringLiteral("impossibile copiare l'allegato %1").arg(files[i]));
    }
    if (!copyWhole(workbookPath, *path)) {
        return SessionError::make(SessionError::Kind::SaveFailed, *path, QStringLiteral("impossibile copiare il file"));
    }
    QFile::setPermissions(*path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (progress)
        progress(total, total);
    return path;
}

} // namespace quadrilo::store
