#include "support/TestSupport.h"
#include "store/CellListing.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "store/Workbook.h"
#include "xls/Reader.h"
#include "xls/Writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <utility>

using namespace quadrilo::store;
namespace layout = quadrilo::store::layout;
namespace xls = quadrilo::xls;

namespace {

using quadrilo::testsupport::s;

// Column numbers by letter, so the tests read like the sheet.
constexpr int col(const char* name)
{
    int n = 0;
    for (const char* p = name; *p; ++p)
        n = n * 26 + (*p - 'A' + 1);
    return n;
}

const char* const kEntrataHeaders[] = {"N.Prot.", "Data",   "Tipo Corrispondenza", "Tipo Documento", "Data Doc.", "Mittente",
                                       "Oggetto", "Nota",   "Allegati",            "Settore",        "Assegnato"};
const char* const kUscitaHeaders[] = {"N.Prot.", "Data", "Tipo Corrispondenza", "Tipo Documento", "Data Doc.", "Destinatario",
                                      "Oggetto", "Nota", "Allegati",            "Settore",        "Assegnato"};
const char* const kClienteHeaders[] = {"ID",       "Ragione Sociale/Cognome Nome", "TipoContatto", "Data",          "Indirizzo",
                                       "CAP",      "Località",                     "PR",           "Telefono",      "Fax",
                                       "Cellulare", "Email",                       "Codice Fiscale", "Partita IVA", "Referente/Rappresentante",
                                       "Annotazioni", "Nota"};
const std::pair<const char*, const char*> kVarieHeaders[] = {
    {"A", "TipoCorrispondenza"}, {"B", "TipoDocumento"}, {"C", "Settore"},       {"D", "Assegnata"}, {"E", "TipoContatto"},
    {"K", "ID"},                 {"L", "Cognome"},       {"M", "Nome"},          {"N", "USERID"},    {"O", "PWD"},
    {"P", "Accesso"},            {"R", "Intestatario"},  {"S", "Sede"},          {"T", "CodiceFiscale"},
    {"U", "P.IVA"},              {"V", "PWD EXCEL"},     {"W", "PWD UTENTI"}};

// Four empty sheets in the order of a new archive.
Workbook fourEmptySheets()
{
    Workbook book;
    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"})
        EXPECT_TRUE(book.addSheet(s(name)).has_value());
    return book;
}

Sheet sheetOf(Workbook& book, const char* name)
{
    auto sheet = book.sheet(s(name));
    EXPECT_TRUE(sheet.has_value()) << name;
    return *sheet;
}

void expectHeaderRow(Sheet sheet, const char* const* texts, int count)
{
    for (int c = 1; c <= count; ++c) {
        const CellValue value = sheet.value(1, c);
        EXPECT_TRUE(value.isText()) << sheet.name().toStdString() << " column " << c;
        EXPECT_EQ(value.text(), s(texts[c - 1])) << sheet.name().toStdString() << " column " << c;
    }
}

void expectAllHeaders(Workbook& book)
{
    expectHeaderRow(sheetOf(book, "Entrata"), kEntrataHeaders, 11);
    expectHeaderRow(sheetOf(book, "Uscita"), kUscitaHeaders, 11);
    expectHeaderRow(sheetOf(book, "Cliente"), kClienteHeaders, 17);
    Sheet varie = sheetOf(book, "Varie");
    for (const auto& [column, text] : kVarieHeaders) {
        EXPECT_TRUE(varie.value(1, col(column)).isText()) << "Varie " << column << "1";
        EXPECT_EQ(varie.text(1, col(column)), s(text)) << "Varie " << column << "1";
    }
}

// The listing lines of rows 2 and below.
QStringList dataLines(const xls::Workbook& data)
{
    QStringList lines;
    for (const QString& line : cellListing(data).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString cell = line.section(QLatin1Char('\t'), 1, 1);
        int firstDigit = 0;
        while (firstDigit < cell.size() && !cell[firstDigit].isDigit())
            ++firstDigit;
        if (cell.mid(firstDigit) != QLatin1String("1"))
            lines << line;
    }
    return lines;
}

// An archive filled by hand as an office would have it, with an empty row 1
// everywhere.
Workbook filledArchiveWithoutHeaders()
{
    Workbook book = fourEmptySheets();
    Sheet entrata = sheetOf(book, "Entrata");
    entrata.setNumber(2, 1, 1);
    entrata.setDate(2, 2, QDate(2026, 12, 7));
    entrata.setText(2, 3, s("Raccomandata"));
    entrata.setText(2, 6, s("Comune di Roma"));
    entrata.setText(2, 7, s("Richiesta documentazione per la pratica edilizia n. 14/2026"));
    entrata.setText(2, 12, s("E"));
    entrata.setNumber(3, 1, 2);
    entrata.setDate(3, 2, QDate(2026, 12, 8));
    entrata.setText(3, 9, s("0"));
    Sheet uscita = sheetOf(book, "Uscita");
    uscita.setNumber(2, 1, 1);
    uscita.setDateTime(2, 5, QDateTime(QDate(2026, 12, 7), QTime(10, 30), Qt::UTC));
    uscita.setText(2, 6, s("Agenzia delle Entrate"));
    uscita.setBoolean(2, 9, true);
    Sheet cliente = sheetOf(book, "Cliente");
    cliente.setNumber(2, 1, 1);
    cliente.setText(2, 2, s("Rossi Mario"));
    cliente.setText(2, 6, s("00184"));
    cliente.setNumber(2, col("I"), 612345);        // a telephone typed as a number long ago
    cliente.setText(2, col("M"), s("RSSMRA80A01H501U"));
    cliente.setNumber(3, 1, 2);
    cliente.setText(3, 2, s("Bianchi & C. s.r.l."));
    Sheet varie = sheetOf(book, "Varie");
    varie.setText(2, 1, s("Posta ordinaria"));
    varie.setText(3, 1, s("PEC"));
    varie.setText(2, 2, s("Lettera"));
    varie.setNumber(2, col("K"), 1);
    varie.setText(2, col("N"), s("admin"));
    varie.setText(2, col("O"), s("0123"));
    varie.setNumber(2, col("P"), 1);
    varie.setText(2, col("R"), s("Studio Mora"));
    return book;
}

} // namespace

TEST(LayoutHeaders, EmptyRowOneGetsEveryHeaderAndDataRowsStay)
{
    Workbook book = filledArchiveWithoutHeaders();
    const QStringList before = dataLines(book.data());
    ASSERT_FALSE(before.isEmpty());

    EXPECT_TRUE(layout::prepareSheets(book).isEmpty());

    expectAllHeaders(book);
    EXPECT_EQ(dataLines(book.data()), before);
    // The date cells still read as dates, the number as a number.
    EXPECT_EQ(sheetOf(book, "Entrata").text(2, 2), s("07/12/2026"));
    EXPECT_TRUE(sheetOf(book, "Cliente").value(2, col("I")).isNumber());
}

TEST(LayoutHeaders, FreshSheetsGetExactlyTheNamedHeaderCells)
{
    Workbook book = fourEmptySheets();
    EXPECT_TRUE(layout::prepareSheets(book).isEmpty());
    expectAllHeaders(book);

    // Nothing else is written: 11 + 11 + 17 + 17 header cells.
    EXPECT_EQ(sheetOf(book, "Entrata").cellCount(), 11);
    EXPECT_EQ(sheetOf(book, "Uscita").cellCount(), 11);
    EXPECT_EQ(sheetOf(book, "Cliente").cellCount(), 17);
    EXPECT_EQ(sheetOf(book, "Varie").cellCount(), 17);
    EXPECT_TRUE(sheetOf(book, "Entrata").isEmpty(1, col("L")));
    EXPECT_TRUE(sheetOf(book, "Cliente").isEmpty(1, col("R")));
    for (const char* column : {"F", "G", "H", "I", "J", "Q", "X"})
        EXPECT_TRUE(sheetOf(book, "Varie").isEmpty(1, col(column))) << column;
}

TEST(LayoutHeaders, EditedHeadersAreRewrittenUnnamedHeaderCellsAndCountersStay)
{
    Workbook book = fourEmptySheets();
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    Sheet entrata = sheetOf(book, "Entrata");
    Sheet uscita = sheetOf(book, "Uscita");
    Sheet cliente = sheetOf(book, "Cliente");
    Sheet varie = sheetOf(book, "Varie");

    entrata.setText(1, col("G"), s("Argomento"));
    entrata.setNumber(1, col("A"), 5);
    entrata.clear(1, col("K"));
    uscita.setText(1, col("F"), s("Mittente"));
    cliente.setText(1, col("I"), s("Tel."));
    varie.setText(1, col("D"), s("Assegnato"));
    varie.setText(1, col("P"), s("Livello"));

    entrata.setText(1, col("L"), s("Marca"));
    uscita.setText(1, col("L"), s("Segno"));
    varie.setText(1, col("F"), s("Colonna mia"));
    varie.setText(1, col("J"), s("Note varie"));
    varie.setText(1, col("Q"), s("Riservato"));
    // Counters and the next contact id live in row 1 as well.
    varie.setNumber(1, col("IV"), 41);
    varie.setNumber(1, col("IU"), 17);
    varie.setNumber(1, col("IT"), 3);
    cliente.setNumber(1, col("IV"), 250);

    EXPECT_TRUE(layout::prepareSheets(book).isEmpty());

    expectAllHeaders(book);
    EXPECT_EQ(entrata.text(1, col("G")), s("Oggetto"));
    EXPECT_EQ(uscita.text(1, col("F")), s("Destinatario"));
    EXPECT_EQ(varie.text(1, col("D")), s("Assegnata"));

    EXPECT_EQ(entrata.value(1, col("L")), CellValue::fromText(s("Marca")));
    EXPECT_EQ(uscita.value(1, col("L")), CellValue::fromText(s("Segno")));
    EXPECT_EQ(varie.value(1, col("F")), CellValue::fromText(s("Colonna mia")));
    EXPECT_EQ(varie.value(1, col("J")), CellValue::fromText(s("Note varie")));
    EXPECT_EQ(varie.value(1, col("Q")), CellValue::fromText(s("Riservato")));
    EXPECT_EQ(varie.value(1, col("IV")), CellValue::fromNumber(41));
    EXPECT_EQ(varie.value(1, col("IU")), CellValue::fromNumber(17));
    EXPECT_EQ(varie.value(1, col("IT")), CellValue::fromNumber(3));
    EXPECT_EQ(cliente.value(1, col("IV")), CellValue::fromNumber(250));
}

namespace {

// Runs the preparation twice and checks the second run changed nothing at all.
void expectSecondRunChangesNothing(Workbook& book)
{
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    const xls::Workbook once = book.data();
    std::vector<QString> areasOnce;
    for (Sheet sheet : book.sheets())
        areasOnce.push_back(sheet.scrollArea());

    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    const xls::Workbook& twice = book.data();
    EXPECT_TRUE(twice == once);
    EXPECT_EQ(twice.styles.size(), once.styles.size());
    EXPECT_EQ(twice.activeSheet, once.activeSheet);
    EXPECT_EQ(cellListing(twice), cellListing(once));
    ASSERT_EQ(twice.sheets.size(), once.sheets.size());
    for (std::size_t i = 0; i < once.sheets.size(); ++i) {
        for (int c = 0; c < xls::kMaxColumns; ++c)
            EXPECT_TRUE(twice.sheets[i].columns[c] == once.sheets[i].columns[c])
                << once.sheets[i].name.toStdString() << " column " << columnName(c + 1).toStdString() << ": width "
                << once.sheets[i].columns[c].width << " -> " << twice.sheets[i].columns[c].width;
        EXPECT_TRUE(twice.sheets[i].rows == once.sheets[i].rows) << once.sheets[i].name.toStdString();
    }
    std::vector<QString> areasTwice;
    for (Sheet sheet : book.sheets())
        areasTwice.push_back(sheet.scrollArea());
    EXPECT_EQ(areasTwice, areasOnce);
}

// Some disorder for the first run to clean up.
void disarrange(Workbook& book)
{
    sheetOf(book, "Entrata").setRotation(RangeRef::cell(2, col("G")), 45);
    book.data().sheets[0].mergedCells.push_back(xls::CellRange{4, 5, 0, 3});
    sheetOf(book, "Uscita").setColumnWidth(col("C"), 50);
}

} // namespace

TEST(LayoutPrepare, SecondRunOnAnArchiveWithHeadersChangesNothing)
{
    Workbook book = layout::createArchive(s("admin"), s("admin"));
    Sheet entrata = sheetOf(book, "Entrata");
    entrata.setNumber(2, 1, 1);
    entrata.setText(2, 7, s("Richiesta documentazione per la pratica edilizia n. 14/2026"));
    disarrange(book);
    expectSecondRunChangesNothing(book);
}

TEST(LayoutPrepare, SecondRunOnAnArchiveWithoutHeadersChangesNothing)
{
    // Row 1 empty (and one header edited): the first run writes the headers,
    // the second must find nothing left to do, column widths included.
    Workbook book = filledArchiveWithoutHeaders();
    disarrange(book);
    sheetOf(book, "Cliente").setText(1, col("B"), s("Nominativo"));
    expectSecondRunChangesNothing(book);
}

TEST(LayoutPrepare, AlignmentIsResetAndMergedCellsUndone)
{
    Workbook book = filledArchiveWithoutHeaders();
    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"}) {
        Sheet sheet = sheetOf(book, name);
        const RangeRef block = RangeRef::cells(2, 1, 3, 2);
        ASSERT_TRUE(sheet.setRotation(block, 90));
        ASSERT_TRUE(sheet.setIndent(block, 3));
        sheet.setShrinkToFit(block, true);
        sheet.setReadingOrder(block, xls::ReadingOrder::RightToLeft);
        sheet.setHorizontalAlignment(block, xls::HorizontalAlignment::Center);
        sheet.setWrap(block, true);
        ASSERT_TRUE(sheet.setRotation(RangeRef::cell(40, col("Z")), Sheet::kStackedRotation));
    }
    for (auto& sheet : book.data().sheets)
        sheet.mergedCells = {xls::CellRange{1, 2, 0, 1}, xls::CellRange{9, 9, 4, 8}};

    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());

    const xls::Workbook& data = book.data();
    for (const xls::Sheet& sheet : data.sheets) {
        SCOPED_TRACE(sheet.name.toStdString());
        EXPECT_TRUE(sheet.mergedCells.empty());
        for (const auto& [row0, column0] : {std::pair{1, 0}, std::pair{2, 1}, std::pair{39, col("Z") - 1}}) {
            const xls::Cell* cell = sheet.cellAt(row0, column0);
            ASSERT_NE(cell, nullptr);
            const xls::Style& style = data.styles.at(cell->style);
            EXPECT_EQ(style.rotation, 0);
            EXPECT_EQ(style.indent, 0);
            EXPECT_FALSE(style.shrinkToFit);
            EXPECT_EQ(style.readingOrder, xls::ReadingOrder::Context);
        }
        // Alignment proper and wrapping are not part of the reset.
        const xls::Style& kept = data.styles.at(sheet.cellAt(1, 0)->style);
        EXPECT_EQ(kept.horizontal, xls::HorizontalAlignment::Center);
        EXPECT_TRUE(kept.wrap);
    }
}

TEST(LayoutPrepare, ColumnsAreFittedToTheirTexts)
{
    Workbook book = filledArchiveWithoutHeaders();
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    // Widths set by hand since the last preparation.
    Sheet entrata = sheetOf(book, "Entrata");
    ASSERT_TRUE(entrata.setColumnWidth(col("M"), 40));
    ASSERT_TRUE(entrata.setColumnWidth(col("A"), 60));
    ASSERT_TRUE(entrata.setColumnWidth(col("G"), 2));
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());

    // G holds the long subject, A "N.Prot." and small numbers.
    EXPECT_GT(entrata.columnWidth(col("G")), 30);
    EXPECT_LT(entrata.columnWidth(col("A")), 12);
    EXPECT_GT(entrata.columnWidth(col("A")), 4);
    EXPECT_GT(entrata.columnWidth(col("C")), entrata.columnWidth(col("B")));
    // A column with nothing in it goes back to the default width.
    EXPECT_DOUBLE_EQ(entrata.columnWidth(col("M")), 8.43);
    EXPECT_GT(sheetOf(book, "Cliente").columnWidth(col("B")), sheetOf(book, "Cliente").columnWidth(col("H")));
}

TEST(LayoutFormats, TextColumnsOfClienteAndVarie)
{
    Workbook book = filledArchiveWithoutHeaders();
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    Sheet cliente = sheetOf(book, "Cliente");
    Sheet varie = sheetOf(book, "Varie");

    for (const char* column : {"I", "J", "K", "M", "N", "R", "T", "U"}) {
        EXPECT_EQ(cliente.numberFormat(5, col(column)), s("@")) << "Cliente " << column;
        EXPECT_EQ(cliente.numberFormat(65536, col(column)), s("@")) << "Cliente " << column;
        EXPECT_EQ(cliente.numberFormat(1, col(column)), s("@")) << "Cliente " << column << "1";
    }
    for (const char* column : {"A", "B", "D", "F", "H", "L", "O", "P", "Q", "S", "V"})
        EXPECT_EQ(cliente.numberFormat(5, col(column)), s("General")) << "Cliente " << column;
    for (const char* column : {"N", "O", "T", "U"})
        EXPECT_EQ(varie.numberFormat(5, col(column)), s("@")) << "Varie " << column;
    for (const char* column : {"A", "K", "L", "M", "P", "R", "S", "V", "W"})
        EXPECT_EQ(varie.numberFormat(5, col(column)), s("General")) << "Varie " << column;
    // The registers get no text columns.
    for (int c = 1; c <= 14; ++c)
        EXPECT_NE(sheetOf(book, "Entrata").numberFormat(5, c), s("@")) << c;

    // Cells that were there already take the format too, keeping their values.
    EXPECT_EQ(cliente.numberFormat(2, col("I")), s("@"));
    EXPECT_EQ(cliente.value(2, col("I")), CellValue::fromNumber(612345));
    EXPECT_EQ(cliente.numberFormat(2, col("M")), s("@"));
    EXPECT_EQ(varie.numberFormat(2, col("O")), s("@"));

    // Written after the preparation: new cells take the column's format.
    ASSERT_TRUE(cliente.setText(5, col("I"), s("0612345")));
    EXPECT_TRUE(cliente.value(5, col("I")).isText());
    EXPECT_EQ(cliente.text(5, col("I")), s("0612345"));
    EXPECT_EQ(cliente.numberFormat(5, col("I")), s("@"));
    ASSERT_TRUE(varie.setText(5, col("O"), s("0123")));
    EXPECT_TRUE(varie.value(5, col("O")).isText());
    EXPECT_EQ(varie.text(5, col("O")), s("0123"));
    EXPECT_EQ(varie.numberFormat(5, col("O")), s("@"));
}

TEST(LayoutWindow, FrozenHeaderRowScrollAreasAndSelection)
{
    Workbook book = filledArchiveWithoutHeaders();
    // A sheet frozen elsewhere by hand goes back to the header row.
    sheetOf(book, "Cliente").freezePanes(CellRef{4, 3});
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());

    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"}) {
        Sheet sheet = sheetOf(book, name);
        EXPECT_EQ(sheet.frozenRows(), 1) << name;
        EXPECT_EQ(sheet.frozenColumns(), 0) << name;
    }
    EXPECT_EQ(sheetOf(book, "Entrata").scrollArea(), s("$A$2:$N$65536"));
    EXPECT_EQ(sheetOf(book, "Uscita").scrollArea(), s("$A$2:$N$65536"));
    EXPECT_EQ(sheetOf(book, "Cliente").scrollArea(), s("$A$2:$S$65536"));
    EXPECT_EQ(sheetOf(book, "Varie").scrollArea(), s("$A$2:$G$65536"));

    EXPECT_EQ(sheetOf(book, "Entrata").activeCell(), (CellRef{1, 1}));
    EXPECT_EQ(sheetOf(book, "Uscita").activeCell(), (CellRef{1, 1}));
    EXPECT_EQ(sheetOf(book, "Cliente").activeCell(), (CellRef{2, 1}));
}

TEST(LayoutPrepare, MissingSheetIsReportedAndTheOthersArePrepared)
{
    Workbook book;
    for (const char* name : {"Entrata", "Uscita", "Varie", "Appunti"})
        ASSERT_TRUE(book.addSheet(s(name)).has_value());
    Sheet appunti = sheetOf(book, "Appunti");
    appunti.setText(1, 1, s("mio"));

    EXPECT_EQ(layout::prepareSheets(book), QStringList{s("Cliente")});

    expectHeaderRow(sheetOf(book, "Entrata"), kEntrataHeaders, 11);
    expectHeaderRow(sheetOf(book, "Uscita"), kUscitaHeaders, 11);
    EXPECT_EQ(sheetOf(book, "Varie").text(1, col("W")), s("PWD UTENTI"));
    for (const char* name : {"Entrata", "Uscita", "Varie"}) {
        EXPECT_EQ(sheetOf(book, name).frozenRows(), 1) << name;
        EXPECT_FALSE(sheetOf(book, name).scrollArea().isEmpty()) << name;
    }
    EXPECT_EQ(sheetOf(book, "Varie").numberFormat(3, col("O")), s("@"));
    // A sheet of someone else's stays as it was; no sheet is added.
    EXPECT_EQ(book.sheetCount(), 4);
    EXPECT_EQ(appunti.text(1, 1), s("mio"));
    EXPECT_EQ(appunti.frozenRows(), 0);
    EXPECT_EQ(appunti.scrollArea(), QString());
}

TEST(LayoutPrepare, NoSheetsAtAllAreFourMissingOnes)
{
    Workbook book;
    QStringList missing = layout::prepareSheets(book);
    missing.sort();
    EXPECT_EQ(missing, (QStringList{s("Cliente"), s("Entrata"), s("Uscita"), s("Varie")}));
    EXPECT_EQ(book.sheetCount(), 0);
}

TEST(LayoutPrepare, SheetNamesAreFoundWhateverTheirCase)
{
    Workbook book;
    for (const char* name : {"ENTRATA", "uscita", "Cliente", "varie"})
        ASSERT_TRUE(book.addSheet(s(name)).has_value());
    EXPECT_TRUE(layout::prepareSheets(book).isEmpty());
    expectAllHeaders(book);
    EXPECT_EQ(book.sheetAt(0)->name(), s("ENTRATA"));
}

TEST(LayoutArchive, NewArchiveHoldsSheetsHeadersAndOneUser)
{
    Workbook book = layout::createArchive(s("mario.rossi"), s("0123"));
    ASSERT_EQ(book.sheetCount(), 4);
    EXPECT_EQ(book.sheetAt(0)->name(), s("Entrata"));
    EXPECT_EQ(book.sheetAt(1)->name(), s("Uscita"));
    EXPECT_EQ(book.sheetAt(2)->name(), s("Cliente"));
    EXPECT_EQ(book.sheetAt(3)->name(), s("Varie"));
    expectAllHeaders(book);

    Sheet varie = sheetOf(book, "Varie");
    EXPECT_EQ(varie.value(2, col("K")), CellValue::fromNumber(1));
    EXPECT_EQ(varie.value(2, col("N")), CellValue::fromText(s("mario.rossi")));
    EXPECT_EQ(varie.value(2, col("O")), CellValue::fromText(s("0123")));
    EXPECT_EQ(varie.value(1, col("IT")), CellValue::fromNumber(2));
    EXPECT_TRUE(varie.isEmpty(1, col("IV")));
    EXPECT_TRUE(varie.isEmpty(1, col("IU")));
    EXPECT_TRUE(sheetOf(book, "Cliente").isEmpty(1, col("IV")));
    EXPECT_TRUE(varie.isEmpty(3, col("K")));
    // No records, no contacts.
    EXPECT_EQ(sheetOf(book, "Entrata").lastUsedRow(), 1);
    EXPECT_EQ(sheetOf(book, "Uscita").lastUsedRow(), 1);
    EXPECT_EQ(sheetOf(book, "Cliente").lastUsedRow(), 1);
    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"})
        EXPECT_EQ(sheetOf(book, name).frozenRows(), 1) << name;
    EXPECT_EQ(sheetOf(book, "Cliente").numberFormat(2, col("I")), s("@"));
}

TEST(LayoutArchive, CounterCellsAreWhereTheWorkbookKeepsThem)
{
    const auto expectAt = [](const layout::CellLocation& at, const char* sheet, int row, int column) {
        EXPECT_EQ(at.sheet, s(sheet));
        EXPECT_EQ(at.row, row);
        EXPECT_EQ(at.column, column);
    };
    expectAt(layout::registerCounter(layout::RegisterKind::Entrata), "Varie", 1, col("IV"));
    expectAt(layout::registerCounter(layout::RegisterKind::Uscita), "Varie", 1, col("IU"));
    expectAt(layout::kUserIdCounter, "Varie", 1, col("IT"));
    expectAt(layout::kContactIdCounter, "Cliente", 1, col("IV"));
    EXPECT_EQ(layout::kWorkbookPassword, s("Mora4715"));
    EXPECT_EQ(layout::kWorkbookFileName, s("Protocollo.xls"));

    // The same address on two sheets: writing one leaves the other alone.
    Workbook book = layout::createArchive(s("admin"), s("admin"));
    const auto write = [&](const layout::CellLocation& at, double value) {
        ASSERT_TRUE(book.sheet(at.sheet)->setNumber(at.row, at.column, value));
    };
    const auto read = [&](const layout::CellLocation& at) { return book.sheet(at.sheet)->value(at.row, at.column); };
    write(layout::registerCounter(layout::RegisterKind::Entrata), 12);
    write(layout::registerCounter(layout::RegisterKind::Uscita), 5);
    write(layout::kContactIdCounter, 31);
    EXPECT_EQ(read(layout::registerCounter(layout::RegisterKind::Entrata)), CellValue::fromNumber(12));
    EXPECT_EQ(read(layout::registerCounter(layout::RegisterKind::Uscita)), CellValue::fromNumber(5));
    EXPECT_EQ(read(layout::kContactIdCounter), CellValue::fromNumber(31));
    EXPECT_EQ(read(layout::kUserIdCounter), CellValue::fromNumber(2));

    // And a preparation keeps all four.
    ASSERT_TRUE(layout::prepareSheets(book).isEmpty());
    EXPECT_EQ(sheetOf(book, "Varie").value(1, col("IV")), CellValue::fromNumber(12));
    EXPECT_EQ(sheetOf(book, "Varie").value(1, col("IU")), CellValue::fromNumber(5));
    EXPECT_EQ(sheetOf(book, "Varie").value(1, col("IT")), CellValue::fromNumber(2));
    EXPECT_EQ(sheetOf(book, "Cliente").value(1, col("IV")), CellValue::fromNumber(31));
}

TEST(LayoutArchive, NewArchiveSurvivesWritingAndReading)
{
    Workbook book = layout::createArchive(s("admin"), s("0123"));
    xls::WriteOptions writeOptions;
    writeOptions.password = s("Mora4715");
    auto bytes = xls::writeWorkbook(book.data(), writeOptions);
    ASSERT_TRUE(bytes) << bytes.error().detail;
    xls::ReadOptions readOptions;
    readOptions.password = s("Mora4715");
    readOptions.requireEncryption = true;
    auto read = xls::readWorkbook(*bytes, readOptions);
    ASSERT_TRUE(read) << read.error().detail;

    EXPECT_EQ(cellListing(read->workbook), cellListing(book.data()));
    Workbook reread(std::move(read->workbook));
    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"}) {
        EXPECT_EQ(sheetOf(reread, name).frozenRows(), 1) << name;
        EXPECT_EQ(sheetOf(reread, name).frozenColumns(), 0) << name;
    }
    EXPECT_EQ(sheetOf(reread, "Cliente").numberFormat(500, col("I")), s("@"));
    EXPECT_EQ(sheetOf(reread, "Varie").numberFormat(500, col("O")), s("@"));
    EXPECT_EQ(sheetOf(reread, "Varie").value(2, col("O")), CellValue::fromText(s("0123")));
    // Preparing what was read back changes nothing but the scroll areas, which
    // the file does not keep.
    const xls::Workbook asRead = reread.data();
    EXPECT_TRUE(layout::prepareSheets(reread).isEmpty());
    EXPECT_EQ(cellListing(reread.data()), cellListing(asRead));
    EXPECT_EQ(sheetOf(reread, "Cliente").scrollArea(), s("$A$2:$S$65536"));
}
