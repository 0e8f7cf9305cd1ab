#pragma once

// "In use" on Linux: a LibreOffice-style lock file `.~lock.NAME#` beside the
// workbook, held with flock() for the whole run, so that LibreOffice sees the
// workbook as taken too; a lock file held by another live process, one written
// by LibreOffice, or a POSIX lock on the workbook itself means in use.

#include <QString>

namespace quadrilo::store {

class FileLock {
public:
    enum class Outcome { Acquired, InUse, Failed };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // The lock file's path for a workbook.
    static QString lockFilePath(const QString& workbookPath);
    // Whether another process (or another lock of this one) holds the workbook.
    static bool isInUse(const QString& workbookPath);

    // Takes the lock; a stale lock of ours (its process gone) is taken over.
    Outcome acquire(const QString& workbookPath);
    // Removes the lock file and lets it go. Safe to call twice.
    void release();
    bool isHeld() const { return m_fd >= 0; }
    QString errorString() const { return m_error; }

private:
    int m_fd = -1;
    QString m_path;
    QString m_error;
};

} // namespace quadrilo::store
