#pragma once

// "In use" on Linux: a LibreOffice-style lock file `.~lock.NAME#` beside the
// workbook, held with flock() for the whole run, so that LibreOffice sees the
// workbook as taken too; a lock file held by another live process, one written
// by LibreOffice, or a POSIX lock on the workbook itself means in use.
//
// A workbook reached through symbolic links is locked where the file really
// is, so that every link to it sees the same lock.

#include <QString>

namespace quadrilo::store {

// Who holds a workbook, as its lock file says.
struct LockHolder {
    enum class State {
        Free,   // nobody, or a lock of ours whose process is gone
        Held,   // a live program holds it (or one that cannot be proven gone)
        Stale,  // a lock file of this computer that no running program can be holding
    };
    State state = State::Free;
    QString user;   // the name the lock file gives; may be empty
    QString host;   // the computer it names
    QString since;  // when it was taken, as written there (dd.MM.yyyy HH:mm)
    QString lockFile;        // the lock file's path
    bool otherComputer = false;  // the lock file names another computer
};

class FileLock {
public:
    enum class Outcome { Acquired, InUse, Failed };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // The lock file's path for a workbook, beside the real file.
    static QString lockFilePath(const QString& workbookPath);
    // Whether another process (or another lock of this one) holds the workbook.
    static bool isInUse(const QString& workbookPath);
    static LockHolder holder(const QString& workbookPath);

    // Takes the lock; a lock of ours whose process is gone is taken over, and
    // so is a stale foreign one when takeOverStale is set.
    Outcome acquire(const QString& workbookPath, bool takeOverStale = false);
    // Removes the lock file and lets it go. Safe to call twice.
    void release();
    bool isHeld() const { return m_fd >= 0; }
    // errno of the failure, for Failed.
    int systemError() const { return m_error; }

private:
    int m_fd = -1;
    QString m_path;
    int m_error = 0;
};

// The file a path names, links followed; the path itself when it does not exist.
QString realFilePath(const QString& path);

} // namespace quadrilo::store
