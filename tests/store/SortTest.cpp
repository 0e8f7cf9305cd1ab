#include "support/TestSupport.h"
#include "store/Sheet.h"
#include "store/Workbook.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QRandomGenerator>

#include <algorithm>
#include <map>
#include <numeric>

using namespace quadrilo::store;
namespace xls = quadrilo::xls;

namespace {

using quadrilo::testsupport::s;

struct SortFixture : ::testing::Test {
    Workbook book;
    Sheet sheet = *book.addSheet(s("Protocollo"));

    // Column 1 from row `first` down.
    void fillTexts(int first, std::initializer_list<const char*> texts, int column = 1)
    {
        int row = first;
        for (const char* t : texts)
            sheet.setText(row++, column, s(t));
    }
    QStringList column(int firstRow, int lastRow, int col = 1) const
    {
        QStringList texts;
        for (int row = firstRow; row <= lastRow; ++row)
            texts.append(sheet.text(row, col));
        return texts;
    }
};

} // namespace

TEST_F(SortFixture, ItalianCollationIgnoresCase)
{
    fillTexts(1, {"zucca", "f", "è", "E", "Ébano", "e", "a", "À", "ebano"});
    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 9, 1), 1, true, false));
    // Case does not count and equal keys keep their order; accents follow the
    // plain letter.
    EXPECT_EQ(column(1, 9), (QStringList{s("a"), s("À"), s("E"), s("e"), s("è"), s("ebano"), s("Ébano"),
                                          s("f"), s("zucca")}));
}

TEST_F(SortFixture, StableForEqualKeys)
{
    // Key in column 1, original position in column 2.
    const char* keys[] = {"Roma", "milano", "ROMA", "Milano", "roma", "MILANO"};
    for (int i = 0; i < 6; ++i) {
        sheet.setText(i + 1, 1, s(keys[i]));
        sheet.setNumber(i + 1, 2, i + 1);
    }
    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 6, 2), 1, true, false));
    EXPECT_EQ(column(1, 6, 2), (QStringList{s("2"), s("4"), s("6"), s("1"), s("3"), s("5")}));
    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 6, 2), 1, false, false));
    EXPECT_EQ(column(1, 6, 2), (QStringList{s("1"), s("3"), s("5"), s("2"), s("4"), s("6")}));
}

TEST_F(SortFixture, KindsInExcelOrderAndBlanksLast)
{
    sheet.setText(1, 1, s("beta"));
    // row 2 left empty
    sheet.setBoolean(3, 1, true);
    sheet.setNumber(4, 1, 10);
    sheet.setValue(5, 1, CellValue::fromError(xls::CellError::NA));
    sheet.setText(6, 1, s("alfa"));
    sheet.setNumber(7, 1, -2.5);
    sheet.setBoolean(8, 1, false);
    sheet.setDate(9, 1, QDate(1900, 1, 5));  // serial 5, between -2.5 and 10
    // row 10 left empty, row 11 holds a value in another column only
    sheet.setText(11, 2, s("solo B"));

    const RangeRef block = RangeRef::cells(1, 1, 11, 2);
    ASSERT_TRUE(sheet.sort(block, 1, true, false));
    EXPECT_EQ(column(1, 11), (QStringList{s("-2,5"), s("05/01/1900"), s("10"), s("alfa"), s("beta"), s("FALSO"),
                                           s("VERO"), s("#N/A"), QString(), QString(), QString()}));
    // The blank keys keep their order: rows 2, 10, 11.
    EXPECT_EQ(sheet.text(11, 2), s("solo B"));

    ASSERT_TRUE(sheet.sort(block, 1, false, false));
    EXPECT_EQ(column(1, 11), (QStringList{s("#N/A"), s("VERO"), s("FALSO"), s("beta"), s("alfa"), s("10"),
                                           s("05/01/1900"), s("-2,5"), QString(), QString(), QString()}));
    EXPECT_EQ(sheet.text(11, 2), s("solo B"));
    // The date kept its format while moving.
    EXPECT_EQ(sheet.numberFormat(7, 1), s("dd/mm/yyyy"));
    EXPECT_TRUE(sheet.value(7, 1).isDate());
}

TEST_F(SortFixture, NumbersComeBeforeTextsThatLookLikeNumbers)
{
    sheet.setText(1, 1, s("1"));
    sheet.setNumber(2, 1, 2);
    sheet.setText(3, 1, s("00184"));
    sheet.setNumber(4, 1, 184);
    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 4, 1), 1, true, false));
    EXPECT_EQ(column(1, 4), (QStringList{s("2"), s("184"), s("00184"), s("1")}));
    EXPECT_TRUE(sheet.value(3, 1).isText());
}

TEST_F(SortFixture, HyphensAndApostrophesAreIgnored)
{
    fillTexts(1, {"coop", "co-op", "cap", "co-operativa", "D'Angelo", "Dante"});
    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 6, 1), 1, true, false));
    EXPECT_EQ(column(1, 6), (QStringList{s("cap"), s("coop"), s("co-op"), s("co-operativa"), s("D'Angelo"),
                                          s("Dante")}));
}

TEST_F(SortFixture, HeaderStaysAndOnlyTheBlockMoves)
{
    // Header in row 1; columns A..C are the block, D is outside.
    sheet.setText(1, 1, s("Mittente"));
    sheet.setText(1, 2, s("Numero"));
    sheet.setText(1, 4, s("fuori"));
    const char* names[] = {"Verdi", "Bianchi", "Rossi"};
    for (int i = 0; i < 3; ++i) {
        sheet.setText(i + 2, 1, s(names[i]));
        sheet.setNumber(i + 2, 2, i + 1);
        sheet.setNumber(i + 2, 4, (i + 1) * 100);
    }
    sheet.setDate(2, 3, QDate(2026, 12, 7));  // only Verdi has a date, with a date style
    sheet.setRowHeight(2, 30);

    ASSERT_TRUE(sheet.sort(RangeRef::cells(1, 1, 4, 3), 1, true, true));
    EXPECT_EQ(column(1, 4), (QStringList{s("Mittente"), s("Bianchi"), s("Rossi"), s("Verdi")}));
    EXPECT_EQ(column(1, 4, 2), (QStringList{s("Numero"), s("2"), s("3"), s("1")}));
    EXPECT_EQ(column(1, 4, 3), (QStringList{QString(), QString(), QString(), s("07/12/2026")}));
    EXPECT_EQ(sheet.numberFormat(4, 3), s("dd/mm/yyyy"));
    EXPECT_EQ(sheet.numberFormat(2, 3), s("General"));
    EXPECT_EQ(column(1, 4, 4), (QStringList{s("fuori"), s("100"), s("200"), s("300")}));
    EXPECT_EQ(sheet.rowHeight(2), 30);  // heights stay with the row position
    EXPECT_EQ(sheet.rowHeight(4), 12.75);
}

TEST_F(SortFixture, WholeColumnsWithHeader)
{
    sheet.setText(1, 1, s("Oggetto"));
    fillTexts(2, {"zeta", "beta", "alfa"});
    sheet.setText(4, 2, s("accanto ad alfa"));
    ASSERT_TRUE(sheet.sort(*parseRange(u"A:B"), 1, true, true));
    EXPECT_EQ(column(1, 4), (QStringList{s("Oggetto"), s("alfa"), s("beta"), s("zeta")}));
    EXPECT_EQ(sheet.text(2, 2), s("accanto ad alfa"));
    EXPECT_EQ(sheet.lastUsedRow(), 4);
}

TEST_F(SortFixture, RefusesBadArguments)
{
    fillTexts(1, {"b", "a"});
    EXPECT_FALSE(sheet.sort(RangeRef::cells(1, 1, 2, 1), 2, true, false));
    EXPECT_FALSE(sheet.sort(RangeRef::cells(0, 1, 2, 1), 1, true, false));
    EXPECT_EQ(column(1, 2), (QStringList{s("b"), s("a")}));
    // A block with only its header is left alone.
    EXPECT_TRUE(sheet.sort(RangeRef::cells(1, 1, 1, 1), 1, true, true));
    EXPECT_EQ(sheet.text(1, 1), s("b"));
}

TEST_F(SortFixture, FullRegisterSortsCompletely)
{
    // 32,766 records: texts with accents and case mixed, some blank keys.
    const char* words[] = {"Èrcole", "ercole", "Zanzara", "àncora", "Ancora", "banca", "Banca", "città", "Citta"};
    QRandomGenerator random(12345);
    std::map<QString, int> expectedCounts;
    const int rows = 32766;
    for (int row = 2; row <= rows + 1; ++row) {
        const quint32 pick = random.bounded(10u);
        if (pick < 9) {
            const QString text = s(words[pick]) + QString::number(random.bounded(50u));
            sheet.setText(row, 1, text);
            ++expectedCounts[text];
        }
        sheet.setNumber(row, 2, row);
    }
    sheet.setText(1, 1, s("Oggetto"));
    ASSERT_TRUE(sheet.sort(RangeRef::columns(1, 2), 1, true, true));

    QCollator collator(QLocale(QLocale::Italian, QLocale::Italy));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::map<QString, int> counts;
    bool blanksStarted = false;
    for (int row = 2; row <= rows + 1; ++row) {
        const QString text = sheet.text(row, 1);
        if (text.isEmpty()) {
            blanksStarted = true;
            continue;
        }
        ASSERT_FALSE(blanksStarted) << "value after a blank at row " << row;
        ++counts[text];
        if (row > 2) {
            ASSERT_LE(collator.compare(sheet.text(row - 1, 1), text), 0) << row;
            // Equal keys keep their original order (column B).
            if (collator.compare(sheet.text(row - 1, 1), text) == 0) {
                ASSERT_LT(sheet.value(row - 1, 2).number(), sheet.value(row, 2).number()) << row;
            }
        }
    }
    EXPECT_EQ(counts, expectedCounts);
    EXPECT_EQ(sheet.text(1, 1), s("Oggetto"));
    EXPECT_EQ(sheet.cellCount(), 1 + rows + static_cast<int>(std::accumulate(
        expectedCounts.begin(), expectedCounts.end(), 0, [](int sum, const auto& kv) { return sum + kv.second; })));
}
