#include "store/Session.h"

#include "xls/CompoundFile.h"
#include "xls/Reader.h"
#include "xls/Writer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrilo::store {
namespace {

// What the temporary file of a save is called after the workbook's name.
const QString kSavePrefix = QStringLiteral(".salvataggio-");

SessionError makeError(SessionError::Kind kind, const QString& path, QString detail = {}, xls::Error cause = {})
{
    SessionError e = SessionError::make(kind, path, std::move(detail));
    e.cause = std::move(cause);
    return e;
}

SessionError systemFailure(SessionError::Kind kind, const QString& path, int error)
{
    SessionError e = makeError(kind, path);
    e.systemError = error;
    return e;
}

// Whether two cells' styles are the same, the two workbooks numbering their
// styles each its own way; a pair found equal is remembered, so that the
// styles themselves are compared once.
class StyleMatch {
public:
    StyleMatch(const xls::Workbook& expected, const xls::Workbook& actual)
        : m_expected(expected), m_actual(actual), m_matched(expected.styles.size(), -1)
    {
    }
    bool same(const xls::Cell* a, const xls::Cell* b)
    {
        const std::size_t ia = a && a->style < m_expected.styles.size() ? a->style : 0;
        const std::size_t ib = b && b->style < m_actual.styles.size() ? b->style : 0;
        if (m_matched[ia] == static_cast<int>(ib))
            return true;
        if (!(m_expected.styles[ia] == m_actual.styles[ib]))
            return false;
        m_matched[ia] = static_cast<int>(ib);
        return true;
    }

private:
    const xls::Workbook& m_expected;
    const xls::Workbook& m_actual;
    std::vector<int> m_matched;
};

bool sameValue(const xls::Cell* a, const xls::Cell* b)
{
    const bool aEmpty = !a || a->isEmpty() || (a->kind == xls::CellKind::Text && a->text.isEmpty());
    const bool bEmpty = !b || b->isEmpty() || (b->kind == xls::CellKind::Text && b->text.isEmpty());
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty;
    if (a->kind != b->kind)
        return false;
    switch (a->kind) {
    case xls::CellKind::Text: return a->text == b->text;
    case xls::CellKind::Number: return a->number == b->number || (a->number != a->number && b->number != b->number);
    default: return a->code == b->code;
    }
}

// A sheet read back from the written file must hold exactly the name, the
// values and the styles (number formats among them) of the model's sheet.
std::optional<QString> compareSheet(const xls::Workbook& expectedBook, const xls::Sheet& expected,
                                    const xls::Workbook& actualBook, const xls::Sheet& actual)
{
    if (expected.name != actual.name)
        return QStringLiteral("il nome del foglio %1 è diverso").arg(expected.name);
    StyleMatch styles(expectedBook, actualBook);
    const std::size_t rows = std::max(expected.rows.size(), actual.rows.size());
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t ca = r < expected.rows.size() ? expected.rows[r].cells.size() : 0;
        const std::size_t cb = r < actual.rows.size() ? actual.rows[r].cells.size() : 0;
        for (std::size_t c = 0; c < std::max(ca, cb); ++c) {
            const xls::Cell* a = expected.cellAt(int(r), int(c));
            const xls::Cell* b = actual.cellAt(int(r), int(c));
            if (!sameValue(a, b) || !styles.same(a, b))
                return QStringLiteral("la cella del foglio %1, riga %2, colonna %3 è diversa").arg(expected.name).arg(r + 1).arg(c + 1);
        }
    }
    return std::nullopt;
}

} // namespace

// Reads the written file back: its bytes must be those meant (they are
// dropped once compared), and its sheets, parsed one at a time and dropped
// once compared, must hold what the model holds.
std::optional<QString> detail::checkWrittenFile(const xls::Workbook& workbook, std::vector<std::uint8_t>& meant, const QString& path,
                                        const QString& password, xls::Error& cause)
{
    auto onDisk = xls::readFileBytes(path);
    if (!onDisk) {
        cause = onDisk.error();
        return QStringLiteral("il file scritto non si può rileggere");
    }
    const bool identical = *onDisk == meant;
    meant = {};
    if (!identical)
        return QStringLiteral("il file scritto sul disco non corrisponde a quanto doveva essere scritto");

    std::optional<QString> difference;
    xls::ReadOptions readOptions;
    readOptions.password = password;
    readOptions.requireEncryption = !password.isEmpty();
    readOptions.sheetRead = [&](std::size_t index, xls::Sheet& sheet, const xls::Workbook& book) {
        if (!difference)
            difference = index < workbook.sheets.size() ? compareSheet(workbook, workbook.sheets[index], book, sheet)
                                                        : QStringLiteral("il numero dei fogli è diverso");
        sheet.rows = {};
    };
    auto readBack = xls::readWorkbook(*onDisk, readOptions);
    if (!readBack) {
        cause = readBack.error();
        return QStringLiteral("il file scritto non si può rileggere (%1)").arg(QString::fromUtf8(xls::errorCodeName(readBack.error().code)));
    }
    if (!difference && readBack->workbook.sheets.size() != workbook.sheets.size())
        difference = QStringLiteral("il numero dei fogli è diverso");
    if (difference)
        return QStringLiteral("il file scritto non corrisponde ai dati: ") + *difference;
    return std::nullopt;
}

namespace {

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

// The temporary files of a save that was cut off: "." + name + kSavePrefix +
// six characters; earlier versions wrote "." + name + "." + six characters,
// taken as theirs only when they are workbooks and their six characters are
// not all small letters (a user's ".Protocollo.xls.backup" stays).
void removeSaveLeftovers(const QString& workbookPath)
{
    const QFileInfo workbook(workbookPath);
    const QString hidden = QLatin1Char('.') + workbook.fileName();
    const QDir folder = workbook.absoluteDir();
    const auto remove = [&](const QString& name) {
        if (!QFileInfo(folder.filePath(name)).isSymLink())
            QFile::remove(folder.filePath(name));
    };
    for (const QString& name : folder.entryList({hidden + kSavePrefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::System))
        remove(name);
    for (const QString& name : folder.entryList({hidden + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString suffix = name.mid(hidden.size() + 1);
        const bool random = std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; })
            && !std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLower(); });
        QFile file(folder.filePath(name));
        const bool workbookFile = file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("\xD0\xCF\x11\xE0", 4);
        file.close();
        if (random && workbookFile)
            remove(name);
    }
}

// Without any write permission, or not writable by us: saving would replace
// a file its owner protected.
bool isReadOnlyFile(const QString& path)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0)
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.constData(), W_OK) != 0;
}

} // namespace

xls::Result<xls::Done, SessionError> saveWorkbookFile(const xls::Workbook& workbook, const QString& path, const SessionOptions& options)
{
    using Kind = SessionError::Kind;
    xls::WriteOptions writeOptions;
    writeOptions.password = options.password;
    writeOptions.random = options.random;
    auto bytes = xls::writeWorkbook(workbook, writeOptions);
    if (!bytes)
        return makeError(Kind::SaveFailed, path, QStringLiteral("il contenuto non si può scrivere nel formato .xls"), bytes.error());

    const QFileInfo target(realFilePath(path));
    const QString directory = target.absolutePath();
    QByteArray pattern = QFile::encodeName(directory + QStringLiteral("/.") + target.fileName() + kSavePrefix + QStringLiteral("XXXXXX"));
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return systemFailure(Kind::SaveFailed, path, errno);
    const QString temporary = QFile::decodeName(pattern);
    auto fail = [&](SessionError error) {
        ::unlink(pattern.constData());
        return error;
    };

    struct stat existing {};
    const mode_t mode = ::stat(QFile::encodeName(target.filePath()).constData(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (fchmod(fd, mode) != 0 || !writeAll(fd, *bytes) || fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(systemFailure(Kind::SaveFailed, path, error));
    }
    if (::close(fd) != 0)
        return fail(systemFailure(Kind::SaveFailed, path, errno));

    xls::Error cause;
    if (auto problem = detail::checkWrittenFile(workbook, *bytes, temporary, options.password, cause))
        return fail(makeError(Kind::SaveFailed, path, *problem, std::move(cause)));

    if (::rename(pattern.constData(), QFile::encodeName(target.filePath()).constData()) != 0)
        return fail(systemFailure(Kind::SaveFailed, path, errno));
    syncDirectory(directory);
    return xls::Done{};
}

WorkbookSession::WorkbookSession(QString path, SessionOptions options, FileLock lock, Workbook workbook, xls::DroppedContent dropped)
    : m_path(std::move(path)), m_options(std::move(options)), m_lock(std::move(lock)), m_workbook(std::move(workbook)), m_dropped(dropped)
{
}

WorkbookSession::~WorkbookSession() { close(); }

bool WorkbookSession::isFileInUse(const QString& path) { return QFileInfo::exists(path) && FileLock::isInUse(path); }

bool WorkbookSession::verifyFile(const QString& path)
{
    QFile file(path);
    const QFileInfo info(path);
    return info.isFile() && file.open(QIODevice::ReadOnly);
}

xls::Result<std::unique_ptr<WorkbookSession>, SessionError> WorkbookSession::open(const QString& path, const SessionOptions& options)
{
    using Kind = SessionError::Kind;
    if (!verifyFile(path))
        return makeError(Kind::Missing, path);
    const QString real = realFilePath(path);
    if (isReadOnlyFile(real))
        return makeError(Kind::ReadOnly, path);
    FileLock lock;
    switch (lock.acquire(real, options.takeOverStaleLock)) {
    case FileLock::Outcome::Acquired: break;
    case FileLock::Outcome::InUse: return makeError(Kind::InUse, path);
    case FileLock::Outcome::Failed: return systemFailure(Kind::LockFailed, path, lock.systemError());
    }
    removeSaveLeftovers(real);
    xls::ReadOptions readOptions;
    readOptions.password = options.password;
    auto read = xls::readWorkbookFile(real, readOptions);
    if (!read) {
        const auto kind = read.error().code == xls::ErrorCode::Io ? Kind::Missing : Kind::Unreadable;
        return makeError(kind, path, {}, read.error());
    }
    const xls::DroppedContent dropped = read->workbook.dropped;
    Workbook workbook(std::move(read->workbook));
    return std::unique_ptr<WorkbookSession>(new WorkbookSession(real, options, std::move(lock), std::move(workbook), dropped));
}

xls::Result<QString, SessionError> WorkbookSession::keepOriginal()
{
    const QFileInfo info(m_path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-originale-") + stamp
        + QLatin1Char('.') + info.suffix();
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-originale-") + stamp
            + QStringLiteral("-%1.").arg(n) + info.suffix();
    if (!QFile::copy(m_path, copy))
        return makeError(SessionError::Kind::BackupFailed, m_path, copy);
    return copy;
}

xls::Result<SaveOutcome, SessionError> WorkbookSession::save()
{
    if (!isOpen())
        return makeError(SessionError::Kind::Closed, m_path);
    SaveOutcome outcome;
    if (m_dropped != xls::DroppedContent::None && !m_originalKept) {
        auto kept = keepOriginal();
        if (!kept)
            return kept.error();
        outcome.keptOriginal = *kept;
        m_originalKept = true;
    }
    auto saved = saveWorkbookFile(m_workbook.data(), m_path, m_options);
    if (!saved)
        return saved.error();
    m_workbook.setModified(false);
    return outcome;
}

void WorkbookSession::close() { m_lock.release(); }

} // namespace quadrilo::store
