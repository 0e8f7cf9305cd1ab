#pragma once

// The open Protocollo.xls for the whole run: opened with the fixed password,
// locked against other programs, saved atomically, closed at the end.

#include "store/FileLock.h"
#include "store/Workbook.h"
#include "xls/Encryption.h"
#include "xls/Error.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace quadrilo::store {

struct SessionError {
    enum class Kind {
        InUse,        // another program holds the workbook
        Missing,      // no such file, or it cannot be read
        ReadOnly,     // the file may not be written: nothing was touched
        Unreadable,   // the file is no workbook we can read (see cause)
        LockFailed,   // the lock file cannot be written
        SaveFailed,   // the save did not complete; the previous file is intact
        BackupFailed, // the copy of the original could not be made; nothing saved
        Closed,       // the session was closed already
        Exists,       // a new workbook would replace an existing file
        NotAnArchive, // a workbook without the program's sheets (detail: the first missing)
    };
    Kind kind = Kind::Unreadable;
    QString path;
    xls::Error cause;   // for Unreadable and SaveFailed, when the format layer failed
    QString detail;     // what failed, in Italian, when no system error says it
    int systemError = 0;  // errno of a failed system call, 0 when none

    static SessionError make(Kind kind, const QString& path, QString detail = {})
    {
        SessionError error;
        error.kind = kind;
        error.path = path;
        error.detail = std::move(detail);
        return error;
    }
};

struct SaveOutcome {
    // Set on the first save of a workbook holding content that is not written
    // back (formulas, charts, ...): where the original file was kept.
    QString keptOriginal;
};

struct SessionOptions {
    QString password;                  // open and save password
    xls::RandomSource random;          // for the encryption salt; system random when empty
    bool takeOverStaleLock = false;    // a stale lock of another program of this machine (FileLock)
};

class WorkbookSession {
public:
    ~WorkbookSession();
    WorkbookSession(const WorkbookSession&) = delete;
    WorkbookSession& operator=(const WorkbookSession&) = delete;

    // Whether another program holds the workbook now (a missing file is not in use).
    static bool isFileInUse(const QString& path);
    // Whether the file exists and can be read.
    static bool verifyFile(const QString& path);

    // Locks and reads the workbook. A workbook that cannot be read, or that
    // may not be written, is never written over: the lock is released and an
    // error returned. Links are followed: the real file is locked and saved.
    // Temporary files left by a save that was cut off are removed.
    static xls::Result<std::unique_ptr<WorkbookSession>, SessionError> open(const QString& path, const SessionOptions& options);

    Workbook& workbook() { return m_workbook; }
    const Workbook& workbook() const { return m_workbook; }
    const QString& path() const { return m_path; }
    // What the file held that is not written back.
    xls::DroppedContent droppedContent() const { return m_dropped; }

    // Writes the whole workbook to a temporary file beside it, syncs it, reads
    // it back and compares, then renames it over the workbook. On failure the
    // previous file is left as it was.
    xls::Result<SaveOutcome, SessionError> save();
    // Releases the lock; the workbook is not saved.
    void close();
    bool isOpen() const { return m_lock.isHeld(); }

private:
    WorkbookSession(QString path, SessionOptions options, FileLock lock, Workbook workbook, xls::DroppedContent dropped);
    xls::Result<QString, SessionError> keepOriginal();

    QString m_path;
    SessionOptions m_options;
    FileLock m_lock;
    Workbook m_workbook;
    xls::DroppedContent m_dropped;
    bool m_originalKept = false;
};

// Writes a workbook atomically: a temporary file beside the target (links
// followed), synced, read back and checked byte for byte against what was
// meant and cell for cell (value and style) against the model, then renamed
// over the target. Used by the session and by tools that write a new file.
xls::Result<xls::Done, SessionError> saveWorkbookFile(const xls::Workbook& workbook, const QString& path, const SessionOptions& options);

namespace detail {
// The check of a written file: nullopt when its bytes are meant (which are
// freed) and its sheets hold the workbook's values and styles; otherwise what
// differs, in Italian.
std::optional<QString> checkWrittenFile(const xls::Workbook& workbook, std::vector<std::uint8_t>& meant, const QString& path,
                                        const QString& password, xls::Error& cause);
} // namespace detail

} // namespace quadrilo::store
