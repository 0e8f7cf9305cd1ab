#include "archivio/ArchiveTool.h"

#include "printing/DailyRegister.h"
#include "store/ArchiveFolder.h"
#include "store/Backups.h"
#include "store/CellListing.h"
#include "store/ErrorText.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "xls/CompoundFile.h"
#include "xls/Reader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <optional>

namespace quadrilo::archivio {
namespace {

const char* const kUsage =
    "Uso:\n"
    "  quadrilo-archivio nuovo CARTELLA [--utente NOME --password PWD] [--password-utenti PWD] [--password-excel PWD]\n"
    "  quadrilo-archivio utente CARTELLA --utente NOME --password PWD [--password-utenti PWD] [--password-excel PWD]\n"
    "  quadrilo-archivio mostra FILE [--password PWD]\n"
    "  quadrilo-archivio copia ORIGINE DESTINAZIONE [--password PWD]\n"
    "  quadrilo-archivio ripristina CARTELLA COPIA\n"
    "  quadrilo-archivio giornaliero FILE AAAA-MM-GG USCITA.pdf [--password PWD]\n";

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

struct Arguments {
    QStringList positional;
    std::optional<QString> user;
    std::optional<QString> password;
    std::optional<QString> usersAreaPassword;   // Varie W2
    std::optional<QString> excelPassword;       // Varie V2
    QString error;
};

Arguments parse(const QStringList& args)
{
    Arguments parsed;
    const std::pair<const char*, std::optional<QString> Arguments::*> options[] = {
        {"--utente", &Arguments::user},
        {"--password", &Arguments::password},
        {"--password-utenti", &Arguments::usersAreaPassword},
        {"--password-excel", &Arguments::excelPassword},
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto option = std::find_if(std::begin(options), std::end(options),
                                          [&](const auto& o) { return a == QLatin1String(o.first); });
        if (option != std::end(options)) {
            if (i + 1 >= args.size()) {
                parsed.error = QStringLiteral("manca il valore di ") + a;
                return parsed;
            }
            parsed.*(option->second) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            parsed.error = QStringLiteral("opzione sconosciuta: ") + a;
            return parsed;
        } else {
            parsed.positional << a;
        }
    }
    return parsed;
}

// Reads with the given password, then with the program's one.
xls::Result<xls::ReadResult> readWithPasswords(const QString& path, const std::optional<QString>& password)
{
    xls::ReadOptions options;
    options.password = password.value_or(store::layout::kWorkbookPassword);
    auto result = xls::readWorkbookFile(path, options);
    if (!result && result.error().code == xls::ErrorCode::WrongPassword && password
        && *password != store::layout::kWorkbookPassword) {
        options.password = store::layout::kWorkbookPassword;
        auto second = xls::readWorkbookFile(path, options);
        if (second)
            return second;
    }
    return result;
}

store::AccessPasswords accessPasswords(const Arguments& a)
{
    return {a.usersAreaPassword.value_or(QString()), a.excelPassword.value_or(QString())};
}

int commandNew(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 2 || a.user.has_value() != a.password.has_value()) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    const QString login = a.user.value_or(QStringLiteral("admin"));
    const QString password = a.password.value_or(QStringLiteral("admin"));
    if (login.isEmpty() || password.isEmpty()) {
        print(err, QStringLiteral("Nome utente e password non possono essere vuoti.\n"));
        return 2;
    }
    auto path = store::createArchiveFolder(a.positional[1], login, password, accessPasswords(a));
    if (!path) {
        print(err, store::sessionErrorText(path.error()) + QLatin1Char('\n'));
        return 1;
    }
    print(out, QStringLiteral("Creato %1 (utente %2).\n").arg(QDir::toNativeSeparators(*path), login));
    return 0;
}

// For an office that locked itself out: the user gets the password (added
// when no row has that login name) and both access passwords are set.
int commandUser(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 2 || !a.user || !a.password) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    if (a.user->isEmpty() || a.password->isEmpty()) {
        print(err, QStringLiteral("Nome utente e password non possono essere vuoti.\n"));
        return 2;
    }
    const QString path = QDir(a.positional[1]).absoluteFilePath(store::layout::kWorkbookFileName);
    store::SessionOptions options;
    options.password = store::layout::kWorkbookPassword;
    auto opened = store::WorkbookSession::open(path, options);
    if (!opened) {
        print(err, store::sessionErrorText(opened.error()) + QLatin1Char('\n'));
        if (opened.error().kind == store::SessionError::Kind::InUse)
            print(err, QStringLiteral("Occorre prima chiudere il programma che lo tiene aperto.\n"));
        return 1;
    }
    store::WorkbookSession& session = **opened;
    const auto added = store::layout::setUserPassword(session.workbook(), *a.user, *a.password);
    if (!added) {
        print(err, QStringLiteral("L'elenco degli utenti è pieno: il foglio Varie non ha più righe libere.\n"));
        return 1;
    }
    store::setAccessPasswords(session.workbook(), accessPasswords(a), *a.password);
    auto saved = session.save();
    if (!saved) {
        print(err, store::sessionErrorText(saved.error()) + QLatin1Char('\n'));
        return 1;
    }
    print(out, (*added ? QStringLiteral("Aggiunto l'utente %1") : QStringLiteral("Nuova password per l'utente %1")).arg(*a.user)
                   + QStringLiteral("; impostate la password dell'area utenti e quella di Excel.\n"));
    return 0;
}

int commandShow(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 2 || a.user || a.usersAreaPassword || a.excelPassword) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    const QString& path = a.positional[1];
    auto read = readWithPasswords(path, a.password);
    if (!read) {
        print(err, store::readErrorText(read.error(), path) + QLatin1Char('\n'));
        return 1;
    }
    print(out, store::cellListing(read->workbook));
    return 0;
}

int commandCopy(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 3 || a.user || a.usersAreaPassword || a.excelPassword) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    const QString& from = a.positional[1];
    const QString& to = a.positional[2];
    // What is written over must be a workbook that nobody holds.
    if (QFileInfo(to).isDir()) {
        print(err, QStringLiteral("%1 è una cartella: occorre indicare il file da scrivere.\n").arg(QDir::toNativeSeparators(to)));
        return 1;
    }
    if (QFileInfo::exists(to)) {
        auto bytes = xls::readFileBytes(to);
        if (!bytes || !xls::readCompoundFile(*bytes)) {
            print(err, QStringLiteral("Il file %1 non è una cartella di lavoro di Excel: non viene sovrascritto.\n")
                           .arg(QDir::toNativeSeparators(to)));
            return 1;
        }
    }
    store::FileLock lock;
    switch (lock.acquire(to)) {
    case store::FileLock::Outcome::Acquired: break;
    case store::FileLock::Outcome::InUse:
        print(err, QStringLiteral("Il file %1 è aperto da un altro programma: non viene sovrascritto.\n").arg(QDir::toNativeSeparators(to)));
        return 1;
    case store::FileLock::Outcome::Failed:
        print(err, QStringLiteral("Impossibile riservare il file %1: %2.\n")
                       .arg(QDir::toNativeSeparators(to), store::systemErrorText(lock.systemError())));
        return 1;
    }
    auto read = readWithPasswords(from, a.password);
    if (!read) {
        print(err, store::readErrorText(read.error(), from) + QLatin1Char('\n'));
        return 1;
    }
    store::SessionOptions options;
    options.password = a.password.value_or(store::layout::kWorkbookPassword);
    auto saved = store::saveWorkbookFile(read->workbook, to, options);
    if (!saved) {
        print(err, store::sessionErrorText(saved.error()) + QLatin1Char('\n'));
        return 1;
    }
    if (read->workbook.dropped != xls::DroppedContent::None)
        print(out, QStringLiteral("Non copiati: %1.\n").arg(store::droppedContentText(read->workbook.dropped)));
    return 0;
}

// Puts a backup back: the copy must open, nobody may hold the workbook, and
// the workbook as it was goes into Backup first.
int commandRestore(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 3 || a.user || a.password || a.usersAreaPassword || a.excelPassword) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    const QString folder = QDir(a.positional[1]).absolutePath();
    auto restored = store::restoreBackup(folder, a.positional[2], QDateTime::currentDateTime());
    if (!restored) {
        print(err, store::sessionErrorText(restored.error()) + QLatin1Char('\n'));
        if (restored.error().kind == store::SessionError::Kind::InUse)
            print(err, QStringLiteral("Occorre prima chiudere il programma che lo tiene aperto.\n"));
        return 1;
    }
    print(out, QStringLiteral("Ripristinato %1 da %2.\n")
                   .arg(QDir::toNativeSeparators(QDir(folder).filePath(store::layout::kWorkbookFileName)),
                        QDir::toNativeSeparators(a.positional[2])));
    if (!restored->isEmpty())
        print(out, QStringLiteral("Il file sostituito è conservato in %1.\n").arg(QDir::toNativeSeparators(*restored)));
    return 0;
}

// The daily register of a day as a PDF/A file, with its fingerprint beside it.
int commandDaily(const Arguments& a, std::FILE* out, std::FILE* err)
{
    if (a.positional.size() != 4 || a.user || a.usersAreaPassword || a.excelPassword) {
        print(err, QString::fromUtf8(kUsage));
        return 2;
    }
    const QString& path = a.positional[1];
    const QDate day = QDate::fromString(a.positional[2], Qt::ISODate);
    if (!day.isValid()) {
        print(err, QStringLiteral("Il giorno %1 non è una data nella forma AAAA-MM-GG.\n").arg(a.positional[2]));
        return 2;
    }
    auto read = readWithPasswords(path, a.password);
    if (!read) {
        print(err, store::readErrorText(read.error(), path) + QLatin1Char('\n'));
        return 1;
    }
    store::Workbook workbook(std::move(read->workbook));
    const printing::DailyRegister daily = printing::collectDailyRegister(workbook, day);
    if (const QString problem = printing::writeDailyRegister(daily, a.positional[3]); !problem.isEmpty()) {
        print(err, QStringLiteral("Il registro giornaliero non è stato scritto: %1.\n").arg(problem));
        return 1;
    }
    print(out, QStringLiteral("Registro giornaliero del %1: %2 in entrata, %3 in uscita.\nImpronta SHA-256: %4\n")
                   .arg(day.toString(QStringLiteral("dd/MM/yyyy")))
                   .arg(daily.entrata.size())
                   .arg(daily.uscita.size())
                   .arg(daily.fingerprint));
    return 0;
}

} // namespace

int run(const QStringList& arguments, std::FILE* out, std::FILE* err)
{
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        print(out, QString::fromUtf8(kUsage));
        return 0;
    }
    const Arguments a = parse(arguments);
    if (!a.error.isEmpty()) {
        print(err, a.error + QLatin1Char('\n') + QString::fromUtf8(kUsage));
        return 2;
    }
    const QString command = a.positional.value(0);
    if (command == QLatin1String("nuovo"))
        return commandNew(a, out, err);
    if (command == QLatin1String("mostra"))
        return commandShow(a, out, err);
    if (command == QLatin1String("copia"))
        return commandCopy(a, out, err);
    if (command == QLatin1String("utente"))
        return commandUser(a, out, err);
    if (command == QLatin1String("ripristina"))
        return commandRestore(a, out, err);
    if (command == QLatin1String("giornaliero"))
        return commandDaily(a, out, err);
    print(err, QString::fromUtf8(kUsage));
    return 2;
}

} // namespace quadrilo::archivio
