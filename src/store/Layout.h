#pragma once

// Where everything lives in Protocollo.xls: sheet names, header texts, the
// counters and settings cells, the users table, and the sheet preparation that
// rewrites headers and formats.

#include "store/Workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quadrilo::store::layout {

inline const QString kWorkbookFileName = QStringLiteral("Protocollo.xls");
inline const QString kAttachmentFolder = QStringLiteral("Prot");
inline const QString kGuideFileName = QStringLiteral("Guida.pdf");
// The open password of the workbook.
inline const QString kWorkbookPassword = QStringLiteral("Mora4715");

inline const QString kEntrata = QStringLiteral("Entrata");
inline const QString kUscita = QStringLiteral("Uscita");
inline const QString kCliente = QStringLiteral("Cliente");
inline const QString kVarie = QStringLiteral("Varie");

enum class RegisterKind { Entrata, Uscita };
QString registerSheetName(RegisterKind kind);

// A cell of a named sheet, 1-based.
struct CellLocation {
    QString sheet;
    int row;
    int column;
};

// Columns of both registers (sheets Entrata and Uscita).
namespace reg {
inline constexpr int kNumber = 1;         // A  N.Prot.
inline constexpr int kDate = 2;           // B  Data
inline constexpr int kCorrespondenceType = 3;
inline constexpr int kDocumentType = 4;
inline constexpr int kDocumentDate = 5;
inline constexpr int kCorrespondent = 6;  // F  Mittente / Destinatario
inline constexpr int kSubject = 7;
inline constexpr int kNote = 8;
inline constexpr int kAttachments = 9;
inline constexpr int kSector = 10;
inline constexpr int kAssignee = 11;
inline constexpr int kMarker = 12;        // L  "E" or "U", no header
inline constexpr int kHeaderCount = 11;
} // namespace reg

// Columns of the address book (sheet Cliente), A to Q.
namespace contact {
inline constexpr int kId = 1;
inline constexpr int kName = 2;
inline constexpr int kType = 3;
inline constexpr int kDate = 4;
inline constexpr int kAddress = 5;
inline constexpr int kPostalCode = 6;
inline constexpr int kTown = 7;
inline constexpr int kProvince = 8;
inline constexpr int kTelephone = 9;
inline constexpr int kFax = 10;
inline constexpr int kMobile = 11;
inline constexpr int kEmail = 12;
inline constexpr int kFiscalCode = 13;
inline constexpr int kVatNumber = 14;
inline constexpr int kReference = 15;
inline constexpr int kRemarks = 16;
inline constexpr int kNote = 17;
inline constexpr int kHeaderCount = 17;
} // namespace contact

// Sheet Varie: the lookup lists in A to E, the users table in K to P.
namespace varie {
inline constexpr int kCorrespondenceTypes = 1;
inline constexpr int kDocumentTypes = 2;
inline constexpr int kSectors = 3;
inline constexpr int kAssignees = 4;
inline constexpr int kContactTypes = 5;
inline constexpr int kUserId = 11;        // K
inline constexpr int kUserSurname = 12;   // L
inline constexpr int kUserName = 13;      // M
inline constexpr int kUserLogin = 14;     // N
inline constexpr int kUserPassword = 15;  // O
inline constexpr int kUserAccess = 16;    // P
inline constexpr int kUsersLastRow = 100;
} // namespace varie

// Counters and settings.
inline const CellLocation kEntrataCounter{kVarie, 1, 256};    // IV1: last number used
inline const CellLocation kUscitaCounter{kVarie, 1, 255};     // IU1: last number used
inline const CellLocation kUserIdCounter{kVarie, 1, 254};     // IT1: next user id
inline const CellLocation kContactIdCounter{kCliente, 1, 256};// IV1: next contact id
inline const CellLocation kOwnerName{kVarie, 2, 18};          // R2
inline const CellLocation kOwnerSeat{kVarie, 2, 19};          // S2
inline const CellLocation kOwnerFiscalCode{kVarie, 2, 20};    // T2
inline const CellLocation kOwnerVatNumber{kVarie, 2, 21};     // U2
inline const CellLocation kHostPassword{kVarie, 2, 22};       // V2
inline const CellLocation kUsersPassword{kVarie, 2, 23};      // W2

CellLocation registerCounter(RegisterKind kind);

// Header texts of row 1, columns A to K.
QStringList registerHeaders(RegisterKind kind);
// Header texts of Cliente, A1 to Q1.
QStringList contactHeaders();
// Header cells of Varie in the order they are written.
struct HeaderCell {
    int column;
    QString text;
};
std::vector<HeaderCell> varieHeaders();

// The four sheets, in the order of a new archive.
QStringList sheetNames();
// The program's sheets the workbook lacks: none for an archive of the program.
QStringList missingSheets(const xls::Workbook& workbook);

// Rewrites every header row and reapplies the column formats, frozen panes and
// scroll areas. Values of rows 2 and below are never changed. Returns the
// names of the sheets it could not find (their steps are skipped).
QStringList prepareSheets(Workbook& workbook);

// A user of the users table.
struct UserEntry {
    QString surname;
    QString name;
    QString login;
    QString password;
};
// Adds a user under the next id (the counter IT1, or after the highest id when
// it holds none) in the first row without a first name, and advances the
// counter. The row, or nullopt when the sheet has no free row.
std::optional<int> addUser(Workbook& workbook, const UserEntry& user);
// Gives the first user with that login name the password; adds the user
// (surname "Utente", name "Ripristinato") when none has it. True when added,
// nullopt when the table is full.
std::optional<bool> setUserPassword(Workbook& workbook, const QString& login, const QString& password);

// A new, empty archive: the four sheets, their headers and formats, and one
// user (id 1) with the given login name and password.
Workbook createArchive(const QString& login, const QString& password);

} // namespace quadrilo::store::layout
