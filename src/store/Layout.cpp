#include "store/Layout.h"

#include "store/Sheet.h"

#include <algorithm>
#include <cmath>

namespace quadrilo::store::layout {

QString registerSheetName(RegisterKind kind) { return kind == RegisterKind::Entrata ? kEntrata : kUscita; }

CellLocation registerCounter(RegisterKind kind) { return kind == RegisterKind::Entrata ? kEntrataCounter : kUscitaCounter; }

QStringList registerHeaders(RegisterKind kind)
{
    return {QStringLiteral("N.Prot."),
            QStringLiteral("Data"),
            QStringLiteral("Tipo Corrispondenza"),
            QStringLiteral("Tipo Documento"),
            QStringLiteral("Data Doc."),
            kind == RegisterKind::Entrata ? QStringLiteral("Mittente") : QStringLiteral("Destinatario"),
            QStringLiteral("Oggetto"),
            QStringLiteral("Nota"),
            QStringLiteral("Allegati"),
            QStringLiteral("Settore"),
            QStringLiteral("Assegnato")};
}

QStringList contactHeaders()
{
    return {QStringLiteral("ID"),
            QStringLiteral("Ragione Sociale/Cognome Nome"),
            QStringLiteral("TipoContatto"),
            QStringLiteral("Data"),
            QStringLiteral("Indirizzo"),
            QStringLiteral("CAP"),
            QStringLiteral("Località"),
            QStringLiteral("PR"),
            QStringLiteral("Telefono"),
            QStringLiteral("Fax"),
            QStringLiteral("Cellulare"),
            QStringLiteral("Email"),
            QStringLiteral("Codice Fiscale"),
            QStringLiteral("Partita IVA"),
            QStringLiteral("Referente/Rappresentante"),
            QStringLiteral("Annotazioni"),
            QStringLiteral("Nota")};
}

std::vector<HeaderCell> varieHeaders()
{
    return {{1, QStringLiteral("TipoCorrispondenza")},
            {2, QStringLiteral("TipoDocumento")},
            {3, QStringLiteral("Settore")},
            {4, QStringLiteral("Assegnata")},
            {5, QStringLiteral("TipoContatto")},
            {12, QStringLiteral("Cognome")},
            {13, QStringLiteral("Nome")},
            {14, QStringLiteral("USERID")},
            {15, QStringLiteral("PWD")},
            {16, QStringLiteral("Accesso")},
            {11, QStringLiteral("ID")},
            {18, QStringLiteral("Intestatario")},
            {19, QStringLiteral("Sede")},
            {20, QStringLiteral("CodiceFiscale")},
            {21, QStringLiteral("P.IVA")},
            {22, QStringLiteral("PWD EXCEL")},
            {23, QStringLiteral("PWD UTENTI")}};
}

QStringList sheetNames() { return {kEntrata, kUscita, kCliente, kVarie}; }

QStringList missingSheets(const xls::Workbook& workbook)
{
    QStringList missing;
    for (const QString& name : sheetNames())
        if (std::none_of(workbook.sheets.begin(), workbook.sheets.end(), [&](const xls::Sheet& sheet) { return sheet.name == name; }))
            missing << name;
    return missing;
}

namespace {

const QString kTextFormat = QStringLiteral("@");
const CellRef kA1{1, 1};
const CellRef kA2{2, 1};

void writeRow1(Sheet& sheet, const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i)
        sheet.setText(1, i + 1, texts[i]);
}


void formatColumnsAsText(Sheet& sheet, std::initializer_list<int> columns)
{
    for (int column : columns)
        sheet.setNumberFormat(RangeRef::columns(column, column), kTextFormat);
}

} // namespace

QStringList prepareSheets(Workbook& workbook)
{
    QStringList missing;
    auto find = [&](const QString& name) {
        auto sheet = workbook.sheet(name);
        if (!sheet && !missing.contains(name))
            missing << name;
        return sheet;
    };

    if (auto entrata = find(kEntrata))
        writeRow1(*entrata, registerHeaders(RegisterKind::Entrata));
    if (auto uscita = find(kUscita))
        writeRow1(*uscita, registerHeaders(RegisterKind::Uscita));
    if (auto cliente = find(kCliente)) {
        writeRow1(*cliente, contactHeaders());
        using namespace contact;
        // I, J, K, N, R, M, U, T
        formatColumnsAsText(*cliente, {kTelephone, kFax, kMobile, kVatNumber, 18, kFiscalCode, 21, 20});
        cliente->select(kA2);
    }
    if (auto varie = find(kVarie)) {
        for (const auto& header : varieHeaders())
            varie->setText(1, header.column, header.text);
        // O, N, U, T
        formatColumnsAsText(*varie, {varie::kUserPassword, varie::kUserLogin, 21, 20});
        varie->select(kA2);
    }
    // Fitted after the headers are written, so that they count and a second run
    // changes nothing.
    for (const QString& name : {kUscita, kEntrata, kCliente, kVarie}) {
        auto sheet = find(name);
        if (!sheet)
            continue;
        sheet->activate();
        sheet->autoFitColumns();
        sheet->resetAlignment(RangeRef::wholeSheet());
        if (name == kUscita || name == kEntrata)
            sheet->select(kA1);
    }
    for (const QString& name : {kCliente, kEntrata, kVarie, kUscita}) {
        if (auto sheet = find(name)) {
            sheet->activate();
            sheet->freezePanes(kA2);
        }
    }
    if (auto uscita = workbook.sheet(kUscita))
        uscita->select(kA1);
    for (const QString& name : {kEntrata, kUscita})
        if (auto sheet = workbook.sheet(name))
            sheet->setScrollArea(QStringLiteral("A2:N65536"));
    if (auto cliente = workbook.sheet(kCliente))
        cliente->setScrollArea(QStringLiteral("A2:S65536"));
    if (auto varie = workbook.sheet(kVarie))
        varie->setScrollArea(QStringLiteral("A2:G65536"));
    return missing;
}

std::optional<int> addUser(Workbook& workbook, const UserEntry& user)
{
    auto sheet = workbook.sheet(kVarie);
    if (!sheet)
        return std::nullopt;
    const auto free = sheet->firstEmptyRow(varie::kUserName);
    if (!free)
        return std::nullopt;
    const CellValue counter = sheet->value(kUserIdCounter.row, kUserIdCounter.column);
    long long id = 0;
    if (counter.isNumber() && std::isfinite(counter.number()) && counter.number() >= 1 && counter.number() < 1e9)
        id = static_cast<long long>(counter.number());
    if (id < 1) {
        const int last = sheet->lastUsedRow();
        for (int row = 2; row <= last; ++row)
            if (const CellValue cell = sheet->value(row, varie::kUserId); cell.isNumber() && cell.number() < 1e9)
                id = std::max(id, static_cast<long long>(cell.number()));
        ++id;
    }
    const int row = *free;
    sheet->setNumber(row, varie::kUserId, static_cast<double>(id));
    sheet->setText(row, varie::kUserSurname, user.surname);
    sheet->setText(row, varie::kUserName, user.name);
    sheet->setText(row, varie::kUserLogin, user.login);
    sheet->setText(row, varie::kUserPassword, user.password);
    sheet->setNumber(kUserIdCounter.row, kUserIdCounter.column, static_cast<double>(id + 1));
    return row;
}

std::optional<bool> setUserPassword(Workbook& workbook, const QString& login, const QString& password)
{
    auto sheet = workbook.sheet(kVarie);
    if (!sheet)
        return std::nullopt;
    const int last = sheet->lastUsedRow();
    for (int row = 2; row <= last; ++row)
        if (sheet->value(row, varie::kUserLogin).equalsText(login)) {
            sheet->setText(row, varie::kUserPassword, password);
            return false;
        }
    if (!addUser(workbook, UserEntry{QStringLiteral("Utente"), QStringLiteral("Ripristinato"), login, password}))
        return std::nullopt;
    return true;
}

Workbook createArchive(const QString& login, const QString& password)
{
    Workbook workbook;
    for (const QString& name : sheetNames())
        workbook.addSheet(name);
    prepareSheets(workbook);
    auto varie = workbook.sheet(kVarie);
    varie->setNumber(2, varie::kUserId, 1);
    varie->setText(2, varie::kUserSurname, QStringLiteral("Amministratore"));
    varie->setText(2, varie::kUserName, QStringLiteral("Archivio"));
    varie->setText(2, varie::kUserLogin, login);
    varie->setText(2, varie::kUserPassword, password);
    varie->setNumber(kUserIdCounter.row, kUserIdCounter.column, 2);
    if (auto entrata = workbook.sheet(kEntrata))
        entrata->activate();
    prepareSheets(workbook);
    return workbook;
}

} // namespace quadrilo::store::layout
