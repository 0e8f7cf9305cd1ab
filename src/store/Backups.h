#pragma once

// The daily copies of the workbook in the folder Backup of the program
// folder: the workbook as the day's first start found it, the same encrypted
// bytes, kept for 30 days, and the first copy of each month for a year.

#include "store/Session.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace quadrilo::store {

inline const QString kBackupFolder = QStringLiteral("Backup");

// "Protocollo-20261209.xls": the copy of a day.
QString dailyBackupName(QDate day);

// The copy of today, unless there is one: written beside its place and
// renamed there, so that a copy is whole or absent. Then the copies that are
// kept no longer are removed. The path of the copy made, "" when there was
// one already, or why it could not be made (BackupFailed: path is the copy,
// detail the reason in Italian).
xls::Result<QString, SessionError> makeDailyBackup(const QString& workbookPath, const QString& programFolder, QDate today);

// The daily copies to remove on that day: all but the 30 most recent days and
// the first copy of each of the 12 months up to today's. names are file names
// of the folder; others than daily copies are never named.
QStringList backupsToPrune(const QStringList& names, QDate today);

// Puts a copy back as the program folder's workbook: the copy must open with
// the program's password and hold its sheets, nobody may hold the workbook,
// and the workbook as it is goes into Backup first (Protocollo-AAAAMMGG-HHMMSS-prima-del-ripristino.xls).
// The path where the replaced workbook was kept.
xls::Result<QString, SessionError> restoreBackup(const QString& programFolder, const QString& backupPath, const QDateTime& now);

} // namespace quadrilo::store
