#pragma once

// A program folder made ready: a new archive created in it, or an existing
// Protocollo.xls brought into it with its attachment folder.

#include "store/Layout.h"
#include "store/Session.h"

#include <QString>

#include <functional>

namespace quadrilo::store {

struct AccessPasswords {
    QString usersArea;  // Varie W2; the first user's password when empty
    QString excel;      // Varie V2; the first user's password when empty
};

// The two access passwords of Varie V2 and W2: as given, the user's password
// where none is, so that neither area is open to anyone.
void setAccessPasswords(Workbook& workbook, const AccessPasswords& access, const QString& userPassword);

// Copies source to target whole or not at all (a temporary file beside
// target, then renamed over it); false when it could not.
bool copyWhole(const QString& source, const QString& target);

// Creates folder/Protocollo.xls, never over an existing file (Exists), and
// folder/Prot, with its first user and both access passwords set. The
// workbook's path, or why not.
xls::Result<QString, SessionError> createArchiveFolder(const QString& folder, const QString& login, const QString& password,
                                                       const AccessPasswords& access);

// Whether the file is an archive of the program: it opens with the program's
// password (Unreadable otherwise) and holds the program's sheets
// (NotAnArchive, the first missing one in detail).
xls::Result<xls::Done, SessionError> checkArchiveFile(const QString& path);

// Copies workbookPath as folder/Protocollo.xls and the Prot folder beside it,
// if any, into folder/Prot; the originals stay where they are. The workbook
// must open with the program's password and hold the program's sheets
// (Unreadable otherwise); an existing folder/Protocollo.xls is never written
// over. progress is told the files copied so far and their number.
xls::Result<QString, SessionError> bringArchive(const QString& workbookPath, const QString& folder,
                                                const std::function<void(int done, int total)>& progress = {});

} // namespace quadrilo::store
