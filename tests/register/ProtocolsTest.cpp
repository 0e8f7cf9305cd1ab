// The register rules without windows: counters, the free row, the checks and
// the cells a record writes.

#include "register/Protocols.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "support/WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace quadrilo;
using namespace quadrilo::protocol;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;

namespace {

using quadrilo::testsupport::s;

ProtocolRecord validRecord()
{
    ProtocolRecord record;
    record.number = s("1");
    record.date = s("7/12/2026");
    record.correspondent = s("ALFA SRL");
    record.subject = s("Richiesta");
    return record;
}

} // namespace

TEST(Counters, ReadWriteAndNextNumber)
{
    store::Workbook workbook = testsupport::makeArchive();
    auto varie = *workbook.sheet(layout::kVarie);
    varie.clear(1, 256);
    varie.clear(1, 255);
    EXPECT_EQ(counterValue(workbook, RegisterKind::Entrata), 0);
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Entrata), 1);

    ensureCounter(workbook, RegisterKind::Entrata);
    EXPECT_EQ(varie.value(1, 256), CellValue::fromNumber(0));
    EXPECT_TRUE(varie.isEmpty(1, 255)) << "the other register's counter is left alone";

    setCounter(workbook, RegisterKind::Uscita, 41);
    EXPECT_EQ(varie.value(1, 255), CellValue::fromNumber(41));
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Uscita), 42);
    ensureCounter(workbook, RegisterKind::Uscita);
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Uscita), 42) << "a set counter is not reset";

    // A counter typed by hand as text counts by its leading number.
    varie.setText(1, 256, s("17 circa"));
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Entrata), 18);
    varie.setText(1, 256, s("nessuno"));
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Entrata), 1);
    varie.setNumber(1, 256, 12.9);
    EXPECT_EQ(nextNumber(workbook, RegisterKind::Entrata), 13);
}

TEST(FreeRow, TheFirstRowWhoseNumberIsEmpty)
{
    store::Workbook workbook = testsupport::makeArchive();
    auto entrata = *workbook.sheet(layout::kEntrata);
    EXPECT_EQ(firstFreeRow(entrata), 2);
    entrata.setNumber(2, 1, 1);
    entrata.setNumber(3, 1, 2);
    entrata.setText(4, 6, s("only a name"));  // other columns do not count
    entrata.setNumber(5, 1, 3);
    EXPECT_EQ(firstFreeRow(entrata), 4);
    for (int row = 1; row <= 65536; ++row)
        entrata.setNumber(row, 1, row);
    EXPECT_FALSE(firstFreeRow(entrata).has_value());
}

TEST(RecordChecks, RequiredFieldsDatesLengthsNumberAndRoom)
{
    store::Workbook workbook = testsupport::makeArchive();
    EXPECT_EQ(checkRecord(validRecord(), workbook, RegisterKind::Entrata), RecordProblem::None);

    const auto problemWith = [&](auto change) {
        ProtocolRecord record = validRecord();
        change(record);
        return checkRecord(record, workbook, RegisterKind::Entrata);
    };
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.date.clear(); }), RecordProblem::MissingRequired);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.correspondent.clear(); }), RecordProblem::MissingRequired);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.subject.clear(); }), RecordProblem::MissingRequired);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.date = s("ieri"); }), RecordProblem::BadDate);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.date = s("1/1/1800"); }), RecordProblem::BadDate)
        << "before the first date a workbook holds";
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.documentDate = s("31/4/2026"); }), RecordProblem::BadDocumentDate);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.documentDate.clear(); }), RecordProblem::None);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.note = QString(32768, QLatin1Char('n')); }), RecordProblem::TextTooLong);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.note = QString(32767, QLatin1Char('n')); }), RecordProblem::None);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.number = s("100000"); }), RecordProblem::NumberOutOfRange);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.number = s("99999"); }), RecordProblem::None);
    EXPECT_EQ(problemWith([](ProtocolRecord& r) { r.number.clear(); }), RecordProblem::NumberOutOfRange);

    auto entrata = *workbook.sheet(layout::kEntrata);
    for (int row = 2; row <= 65536; ++row)
        entrata.setNumber(row, 1, row - 1);
    EXPECT_EQ(checkRecord(validRecord(), workbook, RegisterKind::Entrata), RecordProblem::RegisterFull);
    EXPECT_EQ(checkRecord(validRecord(), workbook, RegisterKind::Uscita), RecordProblem::None);
}

TEST(RecordWriting, TypedCellsInColumnsAToL)
{
    store::Workbook workbook = testsupport::makeArchive();
    auto uscita = *workbook.sheet(layout::kUscita);
    ProtocolRecord record{s("12"),       s("7.12.26"), s("PEC"),      s("Lettera"),    s("01/12/2026"),    s("BETA SPA"),
                          s("Risposta"), s("riga 1\nriga 2"), s("00184"), s("Segreteria"), s("Bianchi")};
    uscita.setText(3, 8, s("old note"));
    ASSERT_TRUE(writeNewRecord(uscita, 3, record, RegisterKind::Uscita));
    EXPECT_EQ(uscita.value(3, 1), CellValue::fromNumber(12));
    EXPECT_TRUE(uscita.value(3, 2).isDate());
    EXPECT_EQ(uscita.value(3, 2).date(), QDate(2026, 12, 7));
    EXPECT_EQ(uscita.text(3, 2), s("07/12/2026"));
    EXPECT_EQ(uscita.value(3, 3), CellValue::fromText(s("PEC")));
    EXPECT_EQ(uscita.value(3, 4), CellValue::fromText(s("Lettera")));
    EXPECT_EQ(uscita.value(3, 5).date(), QDate(2026, 12, 1));
    EXPECT_EQ(uscita.value(3, 6), CellValue::fromText(s("BETA SPA")));
    EXPECT_EQ(uscita.value(3, 7), CellValue::fromText(s("Risposta")));
    EXPECT_EQ(uscita.value(3, 8), CellValue::fromText(s("riga 1\nriga 2")));
    EXPECT_EQ(uscita.value(3, 9), CellValue::fromText(s("00184"))) << "typed digits stay text";
    EXPECT_EQ(uscita.value(3, 10), CellValue::fromText(s("Segreteria")));
    EXPECT_EQ(uscita.value(3, 11), CellValue::fromText(s("Bianchi")));
    EXPECT_EQ(uscita.value(3, 12), CellValue::fromText(s("U")));

    // Empty fields leave empty cells, also over what the row held.
    record.documentDate.clear();
    record.note.clear();
    record.number = s("99");
    ASSERT_TRUE(writeRecord(uscita, 3, record));
    EXPECT_TRUE(uscita.isEmpty(3, 5));
    EXPECT_TRUE(uscita.isEmpty(3, 8));
    EXPECT_EQ(uscita.value(3, 1), CellValue::fromNumber(12)) << "a stored record keeps its number";
    EXPECT_EQ(uscita.text(3, 12), s("U")) << "and its marker";
}
