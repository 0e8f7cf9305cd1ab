#include "store/FileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace quadrilo::store {
namespace {

// Our lock files start with this name in the "user" field.
const QByteArray kOwnerTag = QByteArrayLiteral("Quadrilo");

QByteArray readAll(int fd)
{
    QByteArray content;
    char buffer[512];
    if (lseek(fd, 0, SEEK_SET) < 0)
        return content;
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && content.size() < 4096)
        content.append(buffer, n);
    return content;
}

bool isOurLockContent(const QByteArray& content) { return content.isEmpty() || content.startsWith(kOwnerTag + ','); }

// A lock without a host name was written here.
bool namesThisComputer(const QString& host) { return host.isEmpty() || host == QSysInfo::machineHostName(); }

// "name,user,host,dd.MM.yyyy HH:mm,...;" as LibreOffice and we write it.
LockHolder parseLockContent(const QByteArray& content)
{
    QByteArray line = content;
    if (const qsizetype end = line.indexOf(';'); end >= 0)
        line.truncate(end);
    const QList<QByteArray> fields = line.split(',');
    LockHolder holder;
    const QString name = QString::fromUtf8(fields.value(0)).trimmed();
    const QString user = QString::fromUtf8(fields.value(1)).trimmed();
    holder.user = name.isEmpty() || name == QString::fromLatin1(kOwnerTag) ? user : name;
    holder.host = QString::fromUtf8(fields.value(2)).trimmed();
    holder.since = QString::fromUtf8(fields.value(3)).trimmed();
    return holder;
}

// Another process holds a POSIX record lock on the workbook (LibreOffice does).
bool workbookHasForeignLock(const QString& workbookPath)
{
    const int fd = ::open(QFile::encodeName(workbookPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

// A LibreOffice that runs, or a process of this computer that has the file
// open, may be the lock's holder: LibreOffice takes no lock on the file.
bool mayBeHeldHere(const QString& workbookPath)
{
    static const QStringList offices{QStringLiteral("soffice.bin"), QStringLiteral("soffice"), QStringLiteral("oosplash"),
                                     QStringLiteral("libreoffice")};
    const QDir processes(QStringLiteral("/proc"));
    for (const QString& pid : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit() || pid == QString::number(getpid()))
            continue;
        QFile comm(processes.filePath(pid + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && offices.contains(QString::fromLocal8Bit(comm.readAll()).trimmed()))
            return true;
        const QDir fds(processes.filePath(pid + QStringLiteral("/fd")));
        for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot))
            if (QFile::symLinkTarget(fds.filePath(fd)) == workbookPath)
                return true;
    }
    return false;
}

// The user's login name, for the lock file.
QByteArray userName()
{
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        return QByteArray(entry->pw_name);
    return qgetenv("USER");
}

} // namespace

QString realFilePath(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
}

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_error(other.m_error)
{
    other.m_fd = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

QString FileLock::lockFilePath(const QString& workbookPath)
{
    const QFileInfo info(realFilePath(workbookPath));
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

bool FileLock::isInUse(const QString& workbookPath)
{
    return holder(workbookPath).state != LockHolder::State::Free;
}

LockHolder FileLock::holder(const QString& workbookPath)
{
    const QString real = realFilePath(workbookPath);
    const bool lockedFile = workbookHasForeignLock(real);
    const int fd = ::open(QFile::encodeName(lockFilePath(real)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        LockHolder none;
        if (lockedFile)
            none.state = LockHolder::State::Held;
        return none;
    }
    const QByteArray content = readAll(fd);
    LockHolder found = parseLockContent(content);
    found.lockFile = lockFilePath(real);
    const bool here = namesThisComputer(found.host);
    found.otherComputer = !here;
    if (lockedFile || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        found.state = LockHolder::State::Held;   // a live process holds it
    } else {
        flock(fd, LOCK_UN);
        if (!here)
            found.state = LockHolder::State::Held;   // another computer's: its locks are not seen from here
        else if (isOurLockContent(content))
            found.state = LockHolder::State::Free;   // ours, its process gone
        else if (mayBeHeldHere(real))
            found.state = LockHolder::State::Held;
        else
            found.state = LockHolder::State::Stale;  // nothing of this computer can be holding it
    }
    ::close(fd);
    return found;
}

FileLock::Outcome FileLock::acquire(const QString& workbookPath, bool takeOverStale)
{
    release();
    const QString real = realFilePath(workbookPath);
    if (workbookHasForeignLock(real))
        return Outcome::InUse;
    const QString lockPath = lockFilePath(real);
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = errno;
        return Outcome::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        m_error = errno;
        ::close(fd);
        return busy ? Outcome::InUse : Outcome::Failed;
    }
    const QByteArray content = readAll(fd);
    const bool here = namesThisComputer(parseLockContent(content).host);
    const bool takeable = here && (content.isEmpty() || (isOurLockContent(content) || (takeOverStale && !mayBeHeldHere(real))));
    if (!takeable) {
        ::close(fd);
        return Outcome::InUse;
    }
    // Same fields as LibreOffice's lock files: name, user, host, time, then our pid.
    const QByteArray written = kOwnerTag + ',' + userName() + ',' + QSysInfo::machineHostName().toUtf8() + ','
        + QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")).toUtf8() + ','
        + QByteArray::number(static_cast<qint64>(getpid())) + ';';
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) < 0
        || ::write(fd, written.constData(), static_cast<size_t>(written.size())) != written.size()) {
        m_error = errno;
        ::unlink(QFile::encodeName(lockPath).constData());   // no empty lock left behind
        ::close(fd);
        return Outcome::Failed;
    }
    fsync(fd);
    m_fd = fd;
    m_path = lockPath;
    return Outcome::Acquired;
}

void FileLock::release()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace quadrilo::store
