#include "store/FileLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_error(std::move(other.m_error))
{
    other.m_fd = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
        other.m_fd = -1;
    }
    return *this;
}

QString FileLock::lockFilePath(const QString& workbookPath)
{
    const QFileInfo info(workbookPath);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

bool FileLock::isInUse(const QString& workbookPath)
{
    if (workbookHasForeignLock(workbookPath))
        return true;
    const QString lockPath = lockFilePath(workbookPath);
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool inUse;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        inUse = true;   // held by a live process
    else {
        inUse = !isOurLockContent(readAll(fd));   // LibreOffice's, or someone else's
        flock(fd, LOCK_UN);
    }
    ::close(fd);
    return inUse;
}

FileLock::Outcome FileLock::acquire(const QString& workbookPath)
{
    release();
    if (workbookHasForeignLock(workbookPath))
        return Outcome::InUse;
    const QString lockPath = lockFilePath(workbookPath);
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = systemError();
        return Outcome::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        m_error = systemError();
        ::close(fd);
        return busy ? Outcome::InUse : Outcome::Failed;
    }
    if (!isOurLockContent(readAll(fd))) {
        ::close(fd);
        return Outcome::InUse;
    }
    // Same fields as LibreOffice's lock files: name, user, host, time, then our pid.
    const QByteArray content = kOwnerTag + ',' + qgetenv("USER") + ',' + QSysInfo::machineHostName().toUtf8() + ','
        + QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")).toUtf8() + ','
        + QByteArray::number(static_cast<qint64>(getpid())) + ';';
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) < 0
        || ::write(fd, content.constData(), static_cast<size_t>(content.size())) != content.size()) {
        m_error = systemError();
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
