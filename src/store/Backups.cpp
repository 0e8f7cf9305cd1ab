#include "store/Backups.h"

#include "store/ArchiveFolder.h"
#include "store/Layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <map>
#include <set>

namespace quadrilo::store {
namespace {

constexpr int kDailyCopies = 30;
constexpr int kMonthlyCopies = 12;

// The day a daily copy is of, or an invalid date for any other name.
QDate dayOf(const QString& name)
{
    static const QRegularExpression daily(QStringLiteral(R"(^Protocollo-(\d{8})\.xls$)"));
    const auto match = daily.match(name);
    return match.hasMatch() ? QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd")) : QDate();
}

} // namespace

QString dailyBackupName(QDate day)
{
    return QStringLiteral("Protocollo-") + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".xls");
}

QStringList backupsToPrune(const QStringList& names, QDate today)
{
    std::map<QDate, QString> byDay;
    for (const QString& name : names)
        if (const QDate day = dayOf(name); day.isValid() && day <= today)
            byDay[day] = name;
    std::set<QString> kept;
    int recent = 0;
    for (auto it = byDay.rbegin(); it != byDay.rend() && recent < kDailyCopies; ++it, ++recent)
        kept.insert(it->second);
    const QDate firstMonth = QDate(today.year(), today.month(), 1).addMonths(1 - kMonthlyCopies);
    std::set<std::pair<int, int>> monthsSeen;
    for (const auto& [day, name] : byDay)   // oldest first: the month's first copy
        if (day >= firstMonth && monthsSeen.insert({day.year(), day.month()}).second)
            kept.insert(name);
    QStringList pruned;
    for (const auto& [day, name] : byDay)
        if (!kept.count(name))
            pruned << name;
    return pruned;
}

xls::Result<QString, SessionError> makeDailyBackup(const QString& workbookPath, const QString& programFolder, QDate today)
{
    const QDir folder(QDir(programFolder).filePath(kBackupFolder));
    const QString target = folder.filePath(dailyBackupName(today));
    if (QFileInfo::exists(target))
        return QString();
    if (!QDir().mkpath(folder.path()))
        return SessionError::make(SessionError::Kind::BackupFailed, target, QStringLiteral("la cartella %1 non si può creare").arg(folder.path()));
    if (!copyWhole(workbookPath, target))
        return SessionError::make(SessionError::Kind::BackupFailed, target, QStringLiteral("il file non si può scrivere (spazio sul disco, permessi)"));
    for (const QString& name : backupsToPrune(folder.entryList(QDir::Files), today))
        QFile::remove(folder.filePath(name));
    return target;
}

xls::Result<QString, SessionError> restoreBackup(const QString& programFolder, const QString& backupPath, const QDateTime& now)
{
    const QString workbookPath = QDir(programFolder).filePath(layout::kWorkbookFileName);
    if (realFilePath(backupPath) == realFilePath(workbookPath))
        return SessionError::make(SessionError::Kind::Exists, workbookPath);   // the workbook is no copy of itself
    if (auto archive = checkArchiveFile(backupPath); !archive)
        return archive.error();

    // Nobody may use the workbook meanwhile: its lock is held while it is replaced.
    FileLock lock;
    switch (lock.acquire(workbookPath)) {
    case FileLock::Outcome::Acquired: break;
    case FileLock::Outcome::InUse: return SessionError::make(SessionError::Kind::InUse, workbookPath);
    case FileLock::Outcome::Failed: {
        SessionError error = SessionError::make(SessionError::Kind::LockFailed, workbookPath);
        error.systemError = lock.systemError();
        return error;
    }
    }
    const QDir folder(QDir(programFolder).filePath(kBackupFolder));
    QString kept;
    if (QFileInfo::exists(workbookPath)) {
        if (!QDir().mkpath(folder.path()))
            return SessionError::make(SessionError::Kind::BackupFailed, workbookPath, folder.path());
        kept = folder.filePath(QStringLiteral("Protocollo-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                               + QStringLiteral("-prima-del-ripristino.xls"));
        if (!copyWhole(workbookPath, kept))
            return SessionError::make(SessionError::Kind::BackupFailed, workbookPath, kept);
    }
    if (!copyWhole(backupPath, workbookPath))
        return SessionError::make(SessionError::Kind::SaveFailed, workbookPath, QStringLiteral("impossibile copiare la copia di sicurezza"));
    return kept;
}

} // namespace quadrilo::store
