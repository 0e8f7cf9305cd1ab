#include "store/Session.h"

#include "xls/Reader.h"
#include "xls/Writer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrilo::store {
namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

SessionError makeError(SessionError::Kind kind, const QString& path, QString detail = {}, xls::Error cause = {})
{
    SessionError e;
    e.kind = kind;
    e.path = path;
    e.detail = std::move(detail);
    e.cause = std::move(cause);
    return e;
}

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

// A sheet read back from the written file must hold exactly the name and the
// values of the model's sheet.
std::optional<QString> compareSheet(const xls::Sheet& expected, const xls::Sheet& actual)
{
    if (expected.name != actual.name)
        return QStringLiteral("sheet name differs: ") + expected.name;
    const std::size_t rows = std::max(expected.rows.size(), actual.rows.size());
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t ca = r < expected.rows.size() ? expected.rows[r].cells.size() : 0;
        const std::size_t cb = r < actual.rows.size() ? actual.rows[r].cells.size() : 0;
        for (std::size_t c = 0; c < std::max(ca, cb); ++c)
            if (!sameValue(expected.cellAt(int(r), int(c)), actual.cellAt(int(r), int(c))))
                return QStringLiteral("cell differs in %1 at row %2, column %3").arg(expected.name).arg(r + 1).arg(c + 1);
    }
    return std::nullopt;
}

// Reads the written file back and checks it against the model, one sheet at
// a time: each sheet's cells are dropped once compared.
std::optional<QString> checkWrittenFile(const xls::Workbook& workbook, const QString& path, const QString& password,
                                        xls::Error& cause)
{
    std::optional<QString> difference;
    xls::ReadOptions readOptions;
    readOptions.password = password;
    readOptions.requireEncryption = !password.isEmpty();
    readOptions.sheetRead = [&](std::size_t index, xls::Sheet& sheet) {
        if (!difference)
            difference = index < workbook.sheets.size() ? compareSheet(workbook.sheets[index], sheet)
                                                        : QStringLiteral("sheet count differs");
        sheet.rows = {};
    };
    auto readBack = xls::readWorkbookFile(path, readOptions);
    if (!readBack) {
        cause = readBack.error();
        return QStringLiteral("the written file cannot be read back: ") + QString::fromStdString(readBack.error().detail);
    }
    if (!difference && readBack->workbook.sheets.size() != workbook.sheets.size())
        difference = QStringLiteral("sheet count differs");
    if (difference)
        return QStringLiteral("the written file differs: ") + *difference;
    return std::nullopt;
}

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

} // namespace

xls::Result<xls::Done, SessionError> saveWorkbookFile(const xls::Workbook& workbook, const QString& path, const SessionOptions& options)
{
    using Kind = SessionError::Kind;
    xls::WriteOptions writeOptions;
    writeOptions.password = options.password;
    writeOptions.random = options.random;
    auto bytes = xls::writeWorkbook(workbook, writeOptions);
    if (!bytes)
        return makeError(Kind::SaveFailed, path, QString::fromStdString(bytes.error().detail), bytes.error());

    const QFileInfo target(path);
    const QString directory = target.absolutePath();
    QByteArray pattern = QFile::encodeName(directory + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return makeError(Kind::SaveFailed, path, systemError());
    const QString temporary = QFile::decodeName(pattern);
    auto fail = [&](QString detail, xls::Error cause = {}) {
        ::unlink(pattern.constData());
        return makeError(Kind::SaveFailed, path, std::move(detail), std::move(cause));
    };

    struct stat existing {};
    const mode_t mode = ::stat(QFile::encodeName(path).constData(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (fchmod(fd, mode) != 0 || !writeAll(fd, *bytes) || fsync(fd) != 0) {
        const QString reason = systemError();
        ::close(fd);
        return fail(reason);
    }
    if (::close(fd) != 0)
        return fail(systemError());
    *bytes = {};  // on disk now: freed before the file is read back

    xls::Error cause;
    if (auto problem = checkWrittenFile(workbook, temporary, options.password, cause))
        return fail(*problem, std::move(cause));

    if (::rename(pattern.constData(), QFile::encodeName(path).constData()) != 0)
        return fail(systemError());
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
    FileLock lock;
    switch (lock.acquire(path)) {
    case FileLock::Outcome::Acquired: break;
    case FileLock::Outcome::InUse: return makeError(Kind::InUse, path);
    case FileLock::Outcome::Failed: return makeError(Kind::LockFailed, path, lock.errorString());
    }
    xls::ReadOptions readOptions;
    readOptions.password = options.password;
    auto read = xls::readWorkbookFile(path, readOptions);
    if (!read) {
        const auto kind = read.error().code == xls::ErrorCode::Io ? Kind::Missing : Kind::Unreadable;
        return makeError(kind, path, QString::fromStdString(read.error().detail), read.error());
    }
    const xls::DroppedContent dropped = read->workbook.dropped;
    Workbook workbook(std::move(read->workbook));
    return std::unique_ptr<WorkbookSession>(new WorkbookSession(path, options, std::move(lock), std::move(workbook), dropped));
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
