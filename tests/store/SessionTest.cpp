#include "store/Backups.h"
#include "store/CellListing.h"
#include "store/ErrorText.h"
#include "store/FileLock.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"
#include "support/TestSupport.h"
#include "xls/Reader.h"
#include "xls/Writer.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <unistd.h>

using namespace quadrilo::store;
namespace layout = quadrilo::store::layout;
namespace xls = quadrilo::xls;
using quadrilo::testsupport::fixturePath;
using quadrilo::testsupport::readFileBytes;
using quadrilo::testsupport::TempDir;
using quadrilo::testsupport::writeFileBytes;

namespace {

using quadrilo::testsupport::s;

const char* const kPassword = "Mora4715";

SessionOptions withPassword(const char* password = kPassword)
{
    SessionOptions options;
    options.password = s(password);
    return options;
}

// A folder holding a new Protocollo.xls, as the archive tool makes it.
struct ArchiveFolder {
    TempDir dir;
    QString path = dir.filePath(s("Protocollo.xls"));
    QString lockPath = dir.filePath(s(".~lock.Protocollo.xls#"));

    explicit ArchiveFolder(const char* password = kPassword)
    {
        Workbook book = layout::createArchive(s("admin"), s("admin"));
        auto saved = saveWorkbookFile(book.data(), path, withPassword(password));
        EXPECT_TRUE(saved) << sessionErrorText(saved.error()).toStdString();
    }
};

std::unique_ptr<WorkbookSession> openOrFail(const QString& path, const SessionOptions& options = withPassword())
{
    auto opened = WorkbookSession::open(path, options);
    EXPECT_TRUE(opened) << sessionErrorText(opened.error()).toStdString() << " / " << opened.error().detail.toStdString();
    return opened ? std::move(opened.value()) : nullptr;
}

xls::Result<xls::ReadResult> readBack(const QString& path, const char* password = kPassword)
{
    xls::ReadOptions options;
    options.password = s(password);
    options.requireEncryption = true;
    return xls::readWorkbookFile(path, options);
}

// Files the session may leave in the folder besides the workbook.
QStringList strayFiles(const TempDir& dir)
{
    QStringList stray;
    for (const QString& name : dir.entries())
        if (name != QLatin1String("Protocollo.xls"))
            stray << name;
    return stray;
}

} // namespace

// --- Open, save, close -------------------------------------------------------

TEST(Session, OpenSaveCloseKeepsEveryValue)
{
    ArchiveFolder folder;
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->isOpen());
    EXPECT_EQ(session->path(), folder.path);
    EXPECT_EQ(session->droppedContent(), xls::DroppedContent::None);
    ASSERT_EQ(session->workbook().sheetCount(), 4);

    auto entrata = session->workbook().sheet(s("Entrata"));
    ASSERT_TRUE(entrata);
    entrata->setNumber(2, 1, 1);
    entrata->setDate(2, 2, QDate(2026, 12, 7));
    entrata->setText(2, 6, s("Comune di Roma"));
    entrata->setText(2, 7, s("Oggetto con a capo\nseconda riga, accenti àèìòù"));
    session->workbook().sheet(s("Varie"))->setNumber(1, 256, 1);
    auto cliente = session->workbook().sheet(s("Cliente"));
    cliente->setText(2, 6, s("00184"));
    cliente->setText(2, 9, s("0612345"));
    EXPECT_TRUE(session->workbook().isModified());
    const QString listing = cellListing(session->workbook().data());

    auto saved = session->save();
    ASSERT_TRUE(saved) << sessionErrorText(saved.error()).toStdString();
    EXPECT_TRUE(saved->keptOriginal.isEmpty());
    EXPECT_FALSE(session->workbook().isModified());
    session->close();
    EXPECT_FALSE(session->isOpen());

    auto reopened = openOrFail(folder.path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(cellListing(reopened->workbook().data()), listing);
    EXPECT_TRUE(listing.contains(s("Entrata\tB2\tdate\t2026-12-07\n")));
    EXPECT_TRUE(listing.contains(s("Cliente\tF2\ttext\t00184\n")));
    EXPECT_EQ(reopened->workbook().sheet(s("Cliente"))->numberFormat(2, 9), s("@"));
    reopened->close();
    // Nothing but the workbook is left behind.
    EXPECT_EQ(strayFiles(folder.dir), QStringList());
}

TEST(Session, SavedFileIsEncryptedWithTheSessionPassword)
{
    ArchiveFolder folder;
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->save());

    auto right = readBack(folder.path);
    ASSERT_TRUE(right) << right.error().detail;
    EXPECT_NE(right->encryption, xls::EncryptionScheme::None);
    EXPECT_FALSE(right->defaultPasswordUsed);

    auto wrong = readBack(folder.path, "mora4715");
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().code, xls::ErrorCode::WrongPassword);
    auto none = xls::readWorkbookFile(folder.path);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().code, xls::ErrorCode::WrongPassword);
}

TEST(Session, SaveAfterCloseIsRefused)
{
    ArchiveFolder folder;
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    const QByteArray before = readFileBytes(folder.path);
    session->workbook().sheet(s("Entrata"))->setNumber(2, 1, 1);
    session->close();
    auto saved = session->save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SessionError::Kind::Closed);
    EXPECT_EQ(readFileBytes(folder.path), before);
    EXPECT_FALSE(QFileInfo::exists(folder.lockPath));
}

// --- Locking -----------------------------------------------------------------

TEST(SessionLock, LockFileExistsWhileOpenAndGoesWithClose)
{
    ArchiveFolder folder;
    EXPECT_EQ(FileLock::lockFilePath(folder.path), folder.lockPath);
    EXPECT_FALSE(WorkbookSession::isFileInUse(folder.path));

    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    ASSERT_TRUE(QFileInfo::exists(folder.lockPath));
    EXPECT_TRUE(readFileBytes(folder.lockPath).startsWith("Quadrilo,"));
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    EXPECT_TRUE(FileLock::isInUse(folder.path));

    // A second open, from this same process, is refused and leaves the first alone.
    auto second = WorkbookSession::open(folder.path, withPassword());
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().kind, SessionError::Kind::InUse);
    EXPECT_EQ(second.error().path, folder.path);
    EXPECT_TRUE(QFileInfo::exists(folder.lockPath));
    EXPECT_TRUE(session->isOpen());
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    ASSERT_TRUE(session->save());
    EXPECT_TRUE(QFileInfo::exists(folder.lockPath));

    session->close();
    EXPECT_FALSE(QFileInfo::exists(folder.lockPath));
    EXPECT_FALSE(WorkbookSession::isFileInUse(folder.path));
    session->close();   // twice is harmless

    auto again = openOrFail(folder.path);
    ASSERT_TRUE(again);
    EXPECT_TRUE(QFileInfo::exists(folder.lockPath));
    again.reset();   // the destructor lets go as well
    EXPECT_FALSE(QFileInfo::exists(folder.lockPath));
    EXPECT_FALSE(WorkbookSession::isFileInUse(folder.path));
}

TEST(SessionLock, LibreOfficeLockFileMeansInUse)
{
    ArchiveFolder folder;
    const QByteArray libreOffice = ",LibreOffice User,host,08.12.2026 10:00,file:///home/x;";
    ASSERT_TRUE(writeFileBytes(folder.lockPath, libreOffice));
    const QByteArray workbook = readFileBytes(folder.path);

    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    auto opened = WorkbookSession::open(folder.path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, SessionError::Kind::InUse);
    // Someone else's lock stays exactly as it was, and so does the workbook.
    EXPECT_EQ(readFileBytes(folder.lockPath), libreOffice);
    EXPECT_EQ(readFileBytes(folder.path), workbook);
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
}

TEST(SessionLock, StaleLockOfOursIsTakenOver)
{
    ArchiveFolder folder;
    // Another computer's Quadrilo cannot be seen from here: its lock holds.
    const QByteArray elsewhere = "Quadrilo,segreteria,vecchio-pc,01.12.2026 09:00,999999;";
    ASSERT_TRUE(writeFileBytes(folder.lockPath, elsewhere));
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    EXPECT_TRUE(FileLock::holder(folder.path).otherComputer);
    EXPECT_FALSE(WorkbookSession::open(folder.path, withPassword()));

    const QByteArray stale = "Quadrilo,segreteria," + QSysInfo::machineHostName().toUtf8() + ",01.12.2026 09:00,999999;";
    ASSERT_TRUE(writeFileBytes(folder.lockPath, stale));

    EXPECT_FALSE(WorkbookSession::isFileInUse(folder.path));
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    const QByteArray now = readFileBytes(folder.lockPath);
    EXPECT_TRUE(now.startsWith("Quadrilo,")) << now.toStdString();
    EXPECT_NE(now, stale);
    EXPECT_TRUE(now.endsWith(',' + QByteArray::number(static_cast<qint64>(getpid())) + ';')) << now.toStdString();
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    session->close();
    EXPECT_FALSE(QFileInfo::exists(folder.lockPath));
}

TEST(SessionLock, MissingFileIsNotInUse)
{
    TempDir dir;
    EXPECT_FALSE(WorkbookSession::isFileInUse(dir.filePath(s("Protocollo.xls"))));
}

// --- Files that cannot be opened --------------------------------------------

TEST(SessionOpen, MissingFileLeavesNoLockBehind)
{
    TempDir dir;
    const QString path = dir.filePath(s("Protocollo.xls"));
    auto opened = WorkbookSession::open(path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, SessionError::Kind::Missing);
    EXPECT_EQ(opened.error().path, path);
    EXPECT_EQ(dir.entries(), QStringList());
    EXPECT_FALSE(WorkbookSession::verifyFile(path));

    // A folder where the workbook should be is no workbook either.
    ASSERT_TRUE(QDir(dir.path()).mkdir(s("Protocollo.xls")));
    EXPECT_FALSE(WorkbookSession::verifyFile(path));
    auto folder = WorkbookSession::open(path, withPassword());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().kind, SessionError::Kind::Missing);
}

namespace {

struct UnreadableCase {
    const char* name;
    QByteArray bytes;
    xls::ErrorCode cause;
};

// Opens a file that must be refused, then checks it was left as it was.
void expectUnreadable(const TempDir& dir, const QString& path, xls::ErrorCode cause)
{
    const QByteArray before = readFileBytes(path);
    auto opened = WorkbookSession::open(path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, SessionError::Kind::Unreadable);
    EXPECT_EQ(opened.error().cause.code, cause) << xls::errorCodeName(opened.error().cause.code);
    EXPECT_EQ(opened.error().path, path);
    EXPECT_EQ(readFileBytes(path), before);
    // The lock is let go at once.
    EXPECT_EQ(strayFiles(dir), QStringList());
    EXPECT_FALSE(WorkbookSession::isFileInUse(path));
    EXPECT_EQ(sessionErrorText(opened.error()), readErrorText(opened.error().cause, path));
}

} // namespace

TEST(SessionOpen, ForeignFilesAreRefusedAndLeftIntact)
{
    const QByteArray zip = QByteArray("PK\x03\x04\x14\x00\x06\x00\x08\x00\x00\x00!\x00", 16) + QByteArray(400, 'x');
    const UnreadableCase cases[] = {
        {"text", QByteArray("N.Prot.;Data;Oggetto\n1;07/12/2026;Prova\n"), xls::ErrorCode::NotCompoundFile},
        {"random", QByteArray::fromHex("00ff13377f80c0de") + QByteArray(1000, '\xAB'), xls::ErrorCode::NotCompoundFile},
        {"xlsx", zip, xls::ErrorCode::OfficeOpenXml},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = dir.filePath(s("Protocollo.xls"));
        ASSERT_TRUE(writeFileBytes(path, c.bytes));
        expectUnreadable(dir, path, c.cause);
    }
}

TEST(SessionOpen, EmptyFileIsRefused)
{
    TempDir dir;
    const QString path = dir.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(writeFileBytes(path, QByteArray()));
    auto opened = WorkbookSession::open(path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, SessionError::Kind::Unreadable);
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(strayFiles(dir), QStringList());
}

TEST(SessionOpen, WorkbookWithAnotherPasswordIsRefused)
{
    ArchiveFolder folder("altra-password");
    expectUnreadable(folder.dir, folder.path, xls::ErrorCode::WrongPassword);
}

TEST(SessionOpen, Excel95WorkbookIsRefused)
{
    TempDir dir;
    const QString path = dir.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(quadrilo::testsupport::copyFile(fixturePath(s("xls/xor-biff5-excel2002.xls")), path));
    expectUnreadable(dir, path, xls::ErrorCode::UnsupportedVersion);
}

// --- Saving ------------------------------------------------------------------

TEST(SessionSave, RefusedContentLeavesTheFileAndNoTemporaryBehind)
{
    ArchiveFolder folder;
    const QByteArray before = readFileBytes(folder.path);
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    session->workbook().sheet(s("Entrata"))->setNumber(2, 1, 1);
    // A name the file format cannot hold, put in behind the model's back.
    session->workbook().data().sheets[1].name = s("Usc:ita");

    auto saved = session->save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SessionError::Kind::SaveFailed);
    EXPECT_EQ(saved.error().cause.code, xls::ErrorCode::InvalidContent);
    EXPECT_EQ(saved.error().path, folder.path);
    EXPECT_EQ(readFileBytes(folder.path), before);
    EXPECT_EQ(strayFiles(folder.dir), QStringList{s(".~lock.Protocollo.xls#")});
    EXPECT_TRUE(session->workbook().isModified());
    EXPECT_TRUE(session->isOpen());

    // Put right, the same session saves.
    session->workbook().data().sheets[1].name = s("Uscita");
    auto retried = session->save();
    ASSERT_TRUE(retried) << sessionErrorText(retried.error()).toStdString();
    auto read = readBack(folder.path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->workbook.sheets[1].name, s("Uscita"));
    EXPECT_TRUE(cellListing(read->workbook).contains(s("Entrata\tA2\tnumber\t1\n")));
}

TEST(SessionSave, FailedRenameRemovesTheTemporaryFile)
{
    // The target is a folder that is not empty: the temporary file is written
    // and checked, then the rename fails (for root as well).
    TempDir dir;
    const QString target = dir.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(s("Protocollo.xls/Prot")));
    Workbook book = layout::createArchive(s("admin"), s("admin"));

    auto saved = saveWorkbookFile(book.data(), target, withPassword());
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SessionError::Kind::SaveFailed);
    EXPECT_NE(saved.error().systemError, 0);
    EXPECT_EQ(dir.entries(), QStringList{s("Protocollo.xls")});
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_TRUE(QFileInfo(target + s("/Prot")).isDir());
}

TEST(SessionSave, MissingFolderFails)
{
    TempDir dir;
    Workbook book = layout::createArchive(s("admin"), s("admin"));
    auto saved = saveWorkbookFile(book.data(), dir.filePath(s("non-esiste/Protocollo.xls")), withPassword());
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().kind, SessionError::Kind::SaveFailed);
    EXPECT_EQ(dir.entries(), QStringList());
}

TEST(SessionSave, SavingReplacesAndKeepsTheFileMode)
{
    ArchiveFolder folder;
    ASSERT_TRUE(QFile::setPermissions(folder.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    session->workbook().sheet(s("Uscita"))->setText(2, 6, s("Agenzia delle Entrate"));
    ASSERT_TRUE(session->save());
    EXPECT_EQ(QFileInfo(folder.path).permissions() & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                                      | QFileDevice::WriteGroup | QFileDevice::ReadOther),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
}

TEST(SessionSave, FirstSaveOfAFileWithDroppedContentKeepsTheOriginalOnce)
{
    TempDir dir;
    const QString path = dir.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(quadrilo::testsupport::copyFile(fixturePath(s("xls/dates-1900-macexcel.xls")), path));
    const QByteArray original = readFileBytes(path);

    // Not encrypted: any password opens it.
    auto session = openOrFail(path, withPassword());
    ASSERT_TRUE(session);
    EXPECT_TRUE(xls::hasAny(session->droppedContent(), xls::DroppedContent::Formulas));
    const QString listing = cellListing(session->workbook().data());

    const QString dayBefore = QDate::currentDate().toString(s("yyyyMMdd"));
    auto first = session->save();
    const QString dayAfter = QDate::currentDate().toString(s("yyyyMMdd"));
    ASSERT_TRUE(first) << sessionErrorText(first.error()).toStdString();
    const QString kept = first->keptOriginal;
    ASSERT_FALSE(kept.isEmpty());
    const QFileInfo keptInfo(kept);
    EXPECT_EQ(keptInfo.absolutePath(), QFileInfo(path).absolutePath());
    EXPECT_TRUE(keptInfo.fileName().startsWith(s("Protocollo"))) << kept.toStdString();
    EXPECT_TRUE(keptInfo.fileName().endsWith(s(".xls"))) << kept.toStdString();
    EXPECT_TRUE(keptInfo.fileName().contains(dayBefore) || keptInfo.fileName().contains(dayAfter)) << kept.toStdString();
    EXPECT_EQ(readFileBytes(kept), original);

    // The workbook itself is now ours: encrypted, same values.
    auto read = readBack(path);
    ASSERT_TRUE(read) << read.error().detail;
    EXPECT_EQ(cellListing(read->workbook), listing);
    EXPECT_NE(readFileBytes(path), original);

    session->workbook().sheetAt(0)->setText(20, 1, s("aggiunta"));
    auto second = session->save();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->keptOriginal.isEmpty());
    QStringList copies = strayFiles(dir);
    copies.removeOne(s(".~lock.Protocollo.xls#"));
    EXPECT_EQ(copies, QStringList{keptInfo.fileName()});
    EXPECT_EQ(readFileBytes(kept), original);
}

TEST(SessionSave, FileWithoutDroppedContentKeepsNoCopy)
{
    ArchiveFolder folder;
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    auto saved = session->save();
    ASSERT_TRUE(saved);
    EXPECT_TRUE(saved->keptOriginal.isEmpty());
    session->close();
    EXPECT_EQ(strayFiles(folder.dir), QStringList());
}

// --- Messages ----------------------------------------------------------------

TEST(SessionErrorTexts, SayWhatHappenedInItalian)
{
    const QString path = s("archivio/Protocollo.xls");
    SessionError error;
    error.path = path;

    error.kind = SessionError::Kind::InUse;
    EXPECT_EQ(sessionErrorText(error), s("Il file archivio/Protocollo.xls è già aperto da un altro programma."));
    error.kind = SessionError::Kind::Missing;
    EXPECT_EQ(sessionErrorText(error), s("Il file archivio/Protocollo.xls non è stato trovato."));
    error.kind = SessionError::Kind::SaveFailed;
    error.systemError = ENOSPC;
    EXPECT_EQ(sessionErrorText(error),
              s("Il salvataggio del file archivio/Protocollo.xls non è riuscito; il file precedente è rimasto intatto. "
                "Motivo: spazio esaurito sul disco."));
    error.kind = SessionError::Kind::LockFailed;
    error.systemError = EACCES;
    EXPECT_EQ(sessionErrorText(error), s("Impossibile riservare il file archivio/Protocollo.xls: permesso negato."));
    EXPECT_EQ(systemErrorText(EPERM), s("operazione non permessa"));
    error.kind = SessionError::Kind::ReadOnly;
    EXPECT_EQ(sessionErrorText(error), s("Il file archivio/Protocollo.xls è in sola lettura."));

    const auto cause = [](xls::ErrorCode code) { return xls::Error::make(code, "detail"); };
    EXPECT_EQ(readErrorText(cause(xls::ErrorCode::WrongPassword), path),
              s("La password del file archivio/Protocollo.xls non è corretta."));
    EXPECT_EQ(readErrorText(cause(xls::ErrorCode::OfficeOpenXml), path),
              s("Il file archivio/Protocollo.xls è nel formato .xlsx: occorre salvarlo come "
                "\"Cartella di lavoro di Excel 97-2003\" (.xls)."));
    EXPECT_EQ(readErrorText(cause(xls::ErrorCode::UnsupportedVersion), path),
              s("Il file archivio/Protocollo.xls è nel formato di Excel 95 o precedente: occorre salvarlo come "
                "\"Cartella di lavoro di Excel 97-2003\" (.xls)."));

    // Unreadable speaks of the cause.
    error.kind = SessionError::Kind::Unreadable;
    error.cause = cause(xls::ErrorCode::WrongPassword);
    EXPECT_EQ(sessionErrorText(error), s("La password del file archivio/Protocollo.xls non è corretta."));
}

TEST(SessionErrorTexts, NameTheFileOfTheFailedOpen)
{
    ArchiveFolder folder("altra-password");
    auto opened = WorkbookSession::open(folder.path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(sessionErrorText(opened.error()), s("La password del file ") + folder.path + s(" non è corretta."));

    TempDir dir;
    const QString missing = dir.filePath(s("Protocollo.xls"));
    auto none = WorkbookSession::open(missing, withPassword());
    ASSERT_FALSE(none);
    EXPECT_EQ(sessionErrorText(none.error()), s("Il file ") + missing + s(" non è stato trovato."));
}

// --- Locks left behind, links, protected files, leftovers ---------------------

TEST(SessionLock, LibreOfficeLockOfThisMachineThatNothingHoldsIsStaleAndTakenOverOnlyWhenAsked)
{
    ArchiveFolder folder;
    // LibreOffice writes: full name, user, host, time, profile.
    const QByteArray libreOffice = ",anna," + QSysInfo::machineHostName().toUtf8() + ",08.12.2026 10:00,file:///home/anna;";
    ASSERT_TRUE(writeFileBytes(folder.lockPath, libreOffice));
    const LockHolder stale = FileLock::holder(folder.path);
    EXPECT_EQ(stale.state, LockHolder::State::Stale);
    EXPECT_EQ(stale.user, s("anna"));
    EXPECT_EQ(stale.since, s("08.12.2026 10:00"));

    auto refused = WorkbookSession::open(folder.path, withPassword());
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, SessionError::Kind::InUse);
    EXPECT_EQ(readFileBytes(folder.lockPath), libreOffice);

    SessionOptions takeOver = withPassword();
    takeOver.takeOverStaleLock = true;
    auto session = openOrFail(folder.path, takeOver);
    ASSERT_TRUE(session);
    EXPECT_TRUE(readFileBytes(folder.lockPath).startsWith("Quadrilo,"));

    // While we hold it, another program is told who holds it.
    const LockHolder live = FileLock::holder(folder.path);
    EXPECT_EQ(live.state, LockHolder::State::Held);
    EXPECT_EQ(live.host, QSysInfo::machineHostName());
    EXPECT_FALSE(live.since.isEmpty());
    session->close();

    // Another computer's lock cannot be proven gone: it stays held.
    const QByteArray elsewhere = ",Anna Rossi,anna,altro-pc,08.12.2026 10:00,file:///home/anna;";
    ASSERT_TRUE(writeFileBytes(folder.lockPath, elsewhere));
    const LockHolder remote = FileLock::holder(folder.path);
    EXPECT_EQ(remote.state, LockHolder::State::Held);
    EXPECT_EQ(remote.user, s("Anna Rossi"));
    EXPECT_FALSE(WorkbookSession::open(folder.path, takeOver));
    EXPECT_EQ(readFileBytes(folder.lockPath), elsewhere);
}

TEST(SessionLock, WorkbookReachedThroughLinksIsLockedAndSavedWhereItIs)
{
    ArchiveFolder folder;
    TempDir other;
    const QString link = other.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(QFile::link(folder.path, link));

    auto session = openOrFail(link);
    ASSERT_TRUE(session);
    EXPECT_TRUE(QFileInfo::exists(folder.lockPath)) << "the lock stands beside the real file";
    EXPECT_TRUE(WorkbookSession::isFileInUse(folder.path));
    EXPECT_FALSE(WorkbookSession::open(folder.path, withPassword()));

    session->workbook().sheet(s("Entrata"))->setText(2, 7, s("tramite collegamento"));
    ASSERT_TRUE(session->save());
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
    auto read = readBack(folder.path);
    ASSERT_TRUE(read);
    EXPECT_TRUE(cellListing(read->workbook).contains(s("Entrata\tG2\ttext\ttramite collegamento\n")));
    session->close();
    EXPECT_EQ(other.entries(), QStringList{s("Protocollo.xls")});
}

TEST(SessionOpen, ReadOnlyWorkbookIsRefusedUntouched)
{
    ArchiveFolder folder;
    ASSERT_TRUE(QFile::setPermissions(folder.path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QByteArray before = readFileBytes(folder.path);
    auto opened = WorkbookSession::open(folder.path, withPassword());
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().kind, SessionError::Kind::ReadOnly);
    EXPECT_EQ(readFileBytes(folder.path), before);
    EXPECT_EQ(strayFiles(folder.dir), QStringList());
}

TEST(SessionOpen, TemporaryFilesOfACutOffSaveAreRemoved)
{
    ArchiveFolder folder;
    const QByteArray workbook = readFileBytes(folder.path);
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s(".Protocollo.xls.salvataggio-a1B2c3")), workbook));
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s(".Protocollo.xls.a1B2c3")), workbook));   // an earlier version's
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s(".Protocollo.xls.backup")), workbook));   // a user's copy
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s(".Protocollo.xls.note")), "not ours"));
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s(".Protocollo.xls.x1Y2z3")), "not a workbook"));
    ASSERT_TRUE(writeFileBytes(folder.dir.filePath(s("Protocollo.xls.a1B2c3")), "not hidden: not ours"));
    auto session = openOrFail(folder.path);
    ASSERT_TRUE(session);
    session->close();
    QStringList left = strayFiles(folder.dir);
    left.sort();
    EXPECT_EQ(left, (QStringList{s(".Protocollo.xls.backup"), s(".Protocollo.xls.note"), s(".Protocollo.xls.x1Y2z3"),
                                 s("Protocollo.xls.a1B2c3")}));
}

TEST(SessionSave, CheckOfTheWrittenFileCatchesAFlippedByteAndAChangedFormat)
{
    TempDir dir;
    const QString path = dir.filePath(s("scritto.xls"));
    Workbook book = layout::createArchive(s("admin"), s("admin"));
    book.sheet(s("Entrata"))->setDate(2, 2, QDate(2026, 12, 7));
    auto meant = xls::writeWorkbook(book.data(), {});
    ASSERT_TRUE(meant);
    xls::Error cause;

    std::vector<std::uint8_t> same = *meant;
    ASSERT_TRUE(writeFileBytes(path, QByteArray(reinterpret_cast<const char*>(same.data()), qsizetype(same.size()))));
    EXPECT_EQ(detail::checkWrittenFile(book.data(), same, path, {}, cause), std::nullopt);

    std::vector<std::uint8_t> flipped = *meant;
    QByteArray onDisk(reinterpret_cast<const char*>(meant->data()), qsizetype(meant->size()));
    onDisk[onDisk.size() / 2] = char(onDisk[onDisk.size() / 2] ^ 0x01);
    ASSERT_TRUE(writeFileBytes(path, onDisk));
    EXPECT_NE(detail::checkWrittenFile(book.data(), flipped, path, {}, cause), std::nullopt);

    // Written as a plain number where the model holds a date: the values are
    // equal, the formats are not.
    Workbook plain = layout::createArchive(s("admin"), s("admin"));
    plain.sheet(s("Entrata"))->setNumber(2, 2, book.sheet(s("Entrata"))->value(2, 2).number());
    auto other = xls::writeWorkbook(plain.data(), {});
    ASSERT_TRUE(other);
    ASSERT_TRUE(writeFileBytes(path, QByteArray(reinterpret_cast<const char*>(other->data()), qsizetype(other->size()))));
    const auto difference = detail::checkWrittenFile(book.data(), *other, path, {}, cause);
    ASSERT_NE(difference, std::nullopt);
    EXPECT_TRUE(difference->contains(s("Entrata, riga 2, colonna 2"))) << difference->toStdString();
}

// --- Backups -----------------------------------------------------------------

TEST(Backups, ThirtyDaysAndTheFirstOfEachOfTwelveMonthsAreKept)
{
    QStringList names{s("Protocollo-20261209-101500-prima-del-ripristino.xls"), s("appunti.txt")};
    const QDate today(2026, 12, 9);
    for (QDate day = today.addDays(-400); day <= today; day = day.addDays(1))
        if (day.dayOfWeek() <= 5)   // office days only
            names << dailyBackupName(day);
    const QStringList pruned = backupsToPrune(names, today);
    QStringList kept;
    for (const QString& name : names)
        if (!pruned.contains(name) && name.startsWith(s("Protocollo-2")) && name.size() == 23)
            kept << name;
    // 30 office days go back to 28 October; before them, the first office day of each month from January.
    EXPECT_EQ(kept.size(), 30 + 10);
    EXPECT_TRUE(kept.contains(s("Protocollo-20261209.xls")));
    EXPECT_TRUE(kept.contains(s("Protocollo-20260101.xls")));
    EXPECT_FALSE(kept.contains(s("Protocollo-20260102.xls")));
    EXPECT_TRUE(kept.contains(s("Protocollo-20260901.xls")));
    EXPECT_FALSE(kept.contains(s("Protocollo-20251201.xls"))) << "thirteen months back";
    EXPECT_FALSE(pruned.contains(s("appunti.txt")));
    EXPECT_FALSE(pruned.contains(s("Protocollo-20261209-101500-prima-del-ripristino.xls")));
}

TEST(Backups, ARestoreIsRefusedWhileTheWorkbookIsHeldAndKeepsTheReplacedOne)
{
    ArchiveFolder folder;
    TempDir elsewhere;
    const QString copy = elsewhere.filePath(s("Protocollo-20261201.xls"));
    ASSERT_TRUE(quadrilo::testsupport::copyFile(folder.path, copy));
    {
        auto session = openOrFail(folder.path);
        session->workbook().sheet(s("Entrata"))->setText(2, 7, s("dopo la copia"));
        ASSERT_TRUE(session->save());
        const QByteArray current = readFileBytes(folder.path);
        auto refused = restoreBackup(folder.dir.path(), copy, QDateTime(QDate(2026, 12, 9), QTime(10, 15)));
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().kind, SessionError::Kind::InUse);
        EXPECT_EQ(readFileBytes(folder.path), current);
    }
    const QByteArray current = readFileBytes(folder.path);
    auto restored = restoreBackup(folder.dir.path(), copy, QDateTime(QDate(2026, 12, 9), QTime(10, 15)));
    ASSERT_TRUE(restored) << sessionErrorText(restored.error()).toStdString();
    EXPECT_EQ(*restored, folder.dir.filePath(s("Backup/Protocollo-20261209-101500-prima-del-ripristino.xls")));
    EXPECT_EQ(readFileBytes(*restored), current);
    EXPECT_EQ(readFileBytes(folder.path), readFileBytes(copy));
    EXPECT_FALSE(QFileInfo::exists(FileLock::lockFilePath(folder.path)));

    ASSERT_TRUE(writeFileBytes(elsewhere.filePath(s("rotto.xls")), "not a workbook"));
    EXPECT_FALSE(restoreBackup(folder.dir.path(), elsewhere.filePath(s("rotto.xls")), QDateTime::currentDateTime()));
    EXPECT_EQ(readFileBytes(folder.path), readFileBytes(copy));
}
