// Workbooks written by real spreadsheet programs: the cell listing must match
// the independent oracle's, and a write and read back must keep it.

#include "store/CellListing.h"
#include "support/TestSupport.h"
#include "xls/Reader.h"
#include "xls/Writer.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace quadrilo;
using quadrilo::testsupport::fixturePath;
using quadrilo::testsupport::readFileBytes;

namespace {

using quadrilo::testsupport::s;

struct Fixture {
    const char* file;
    const char* password;   // nullptr: not encrypted
    xls::EncryptionScheme scheme;
};

void PrintTo(const Fixture& fixture, std::ostream* os)
{
    *os << fixture.file;
}

const Fixture kFixtures[] = {
    {"dates-1900-macexcel.xls", nullptr, xls::EncryptionScheme::None},
    {"dates-1904-macexcel.xls", nullptr, xls::EncryptionScheme::None},
    {"dates-bools-formulas-macexcel.xls", nullptr, xls::EncryptionScheme::None},
    {"freeze-panes-excel.xls", nullptr, xls::EncryptionScheme::None},
    {"gnumeric-3d-formulas.xls", nullptr, xls::EncryptionScheme::None},
    {"libreoffice-dates-times-umlauts.xls", nullptr, xls::EncryptionScheme::None},
    {"many-rows-datasets-macexcel.xls", nullptr, xls::EncryptionScheme::None},
    {"page-setup-frozen-excel.xls", nullptr, xls::EncryptionScheme::None},
    {"rc4-cryptoapi-128bit-macexcel.xls", "Password1234_", xls::EncryptionScheme::Rc4CryptoApi},
    {"rc4-cryptoapi-40bit-excel2002.xls", "password", xls::EncryptionScheme::Rc4CryptoApi},
    // Encrypted with Excel's built-in password: opens without one.
    {"rc4-standard-default-password.xls", "", xls::EncryptionScheme::Rc4},
    {"rc4-standard-excel-cyrillic-sheets.xls", "password", xls::EncryptionScheme::Rc4},
    {"rc4-standard-pwtest2.xls", "pwtest2", xls::EncryptionScheme::Rc4},
    {"rk-numbers-excel.xls", nullptr, xls::EncryptionScheme::None},
    {"sst-continue-excel.xls", nullptr, xls::EncryptionScheme::None},
    {"unicode-accents-cyrillic-arabic-excel.xls", nullptr, xls::EncryptionScheme::None},
    {"wps-spreadsheets-write.xls", nullptr, xls::EncryptionScheme::None},
    {"xor-excel2002.xls", "password", xls::EncryptionScheme::Xor},
};

const char* const kBiff5Fixture = "xor-biff5-excel2002.xls";

QString xlsFixture(const char* file)
{
    return fixturePath(QStringLiteral("xls/") + s(file));
}

// The oracle's listing in our words: its "xldate" is our "date".
QString expectedListing(const char* file)
{
    QString expected = QString::fromUtf8(readFileBytes(xlsFixture(file) + QStringLiteral(".expected.tsv")));
    expected.replace(QStringLiteral("\txldate\t"), QStringLiteral("\tdate\t"));
    return expected;
}

xls::Result<xls::ReadResult> readFixture(const Fixture& fixture)
{
    xls::ReadOptions options;
    options.password = fixture.password ? s(fixture.password) : QString();
    return xls::readWorkbookFile(xlsFixture(fixture.file), options);
}

// What a write and read back must keep of each sheet, beyond the cells.
void expectSameSheetSetup(const xls::Workbook& expected, const xls::Workbook& actual)
{
    ASSERT_EQ(actual.sheets.size(), expected.sheets.size());
    EXPECT_EQ(actual.dateSystem, expected.dateSystem);
    for (std::size_t i = 0; i < expected.sheets.size(); ++i) {
        const xls::Sheet& a = expected.sheets[i];
        const xls::Sheet& b = actual.sheets[i];
        SCOPED_TRACE(a.name.toStdString());
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.visibility, a.visibility);
        for (int c = 0; c < xls::kMaxColumns; ++c) {
            EXPECT_EQ(b.columns[c].width, a.columns[c].width) << "column " << c;
            EXPECT_EQ(b.columns[c].hidden, a.columns[c].hidden) << "column " << c;
        }
        EXPECT_EQ(b.defaultColumnWidth, a.defaultColumnWidth);
        EXPECT_EQ(b.standardWidth, a.standardWidth);
        EXPECT_EQ(b.frozenRows, a.frozenRows);
        EXPECT_EQ(b.frozenColumns, a.frozenColumns);
        EXPECT_TRUE(b.pageSetup == a.pageSetup);
        EXPECT_EQ(b.pageSetup.paperSize, a.pageSetup.paperSize);
        EXPECT_EQ(b.pageSetup.orientation, a.pageSetup.orientation);
        EXPECT_EQ(b.pageSetup.header, a.pageSetup.header);
        EXPECT_EQ(b.pageSetup.footer, a.pageSetup.footer);
        EXPECT_EQ(b.pageSetup.printArea, a.pageSetup.printArea);
        EXPECT_EQ(b.pageSetup.titleRows, a.pageSetup.titleRows);
        EXPECT_EQ(b.pageSetup.titleColumns, a.pageSetup.titleColumns);
        EXPECT_EQ(b.mergedCells, a.mergedCells);
    }
}

std::string caseName(const testing::TestParamInfo<Fixture>& info)
{
    std::string name = info.param.file;
    name.erase(name.size() - 4);   // ".xls"
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class XlsFixture : public testing::TestWithParam<Fixture> {};

} // namespace

TEST(XlsFixtureSet, EveryFixtureHasACase)
{
    QStringList files = QDir(fixturePath(QStringLiteral("xls"))).entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name);
    files.removeOne(s(kBiff5Fixture));
    QStringList covered;
    for (const Fixture& fixture : kFixtures)
        covered << s(fixture.file);
    covered.sort();
    EXPECT_EQ(files, covered);
}

TEST_P(XlsFixture, ListingMatchesTheOracle)
{
    const Fixture& fixture = GetParam();
    auto read = readFixture(fixture);
    ASSERT_TRUE(read) << xls::errorCodeName(read.error().code) << ": " << read.error().detail;
    EXPECT_EQ(read->encryption, fixture.scheme);
    EXPECT_EQ(store::cellListing(read->workbook), expectedListing(fixture.file));
}

TEST_P(XlsFixture, WriteAndReadBackKeepsCellsAndSheetSetup)
{
    const Fixture& fixture = GetParam();
    auto first = readFixture(fixture);
    ASSERT_TRUE(first) << first.error().detail;
    const QString listing = store::cellListing(first->workbook);

    for (const QString& password : {QString(), s("Mora4715")}) {
        SCOPED_TRACE(password.isEmpty() ? "without password" : "with password");
        xls::WriteOptions writeOptions;
        writeOptions.password = password;
        auto bytes = xls::writeWorkbook(first->workbook, writeOptions);
        ASSERT_TRUE(bytes) << xls::errorCodeName(bytes.error().code) << ": " << bytes.error().detail;

        xls::ReadOptions readOptions;
        readOptions.password = password;
        readOptions.requireEncryption = !password.isEmpty();
        auto second = xls::readWorkbook(*bytes, readOptions);
        ASSERT_TRUE(second) << xls::errorCodeName(second.error().code) << ": " << second.error().detail;
        EXPECT_EQ(second->encryption, password.isEmpty() ? xls::EncryptionScheme::None : xls::EncryptionScheme::Rc4CryptoApi);
        EXPECT_EQ(store::cellListing(second->workbook), listing);
        expectSameSheetSetup(first->workbook, second->workbook);
        // What we write holds nothing we would drop on the next read.
        EXPECT_EQ(second->workbook.dropped, xls::DroppedContent::None);
    }
}

TEST_P(XlsFixture, WrongPasswordIsRefusedOnlyWhenEncrypted)
{
    const Fixture& fixture = GetParam();
    xls::ReadOptions options;
    options.password = s("sbagliata");
    auto read = xls::readWorkbookFile(xlsFixture(fixture.file), options);
    if (fixture.scheme == xls::EncryptionScheme::None) {
        ASSERT_TRUE(read) << read.error().detail;
        EXPECT_FALSE(read->defaultPasswordUsed);
    } else if (std::string(fixture.file) == "rc4-standard-default-password.xls") {
        // Any password: Excel's built-in one is tried after it.
        ASSERT_TRUE(read) << read.error().detail;
        EXPECT_TRUE(read->defaultPasswordUsed);
    } else {
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, xls::ErrorCode::WrongPassword) << xls::errorCodeName(read.error().code);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, XlsFixture, testing::ValuesIn(kFixtures), caseName);

TEST(XlsFixtureDetails, Biff5IsUnsupportedWithOrWithoutPassword)
{
    for (const QString& password : {QString(), s("password")}) {
        xls::ReadOptions options;
        options.password = password;
        auto read = xls::readWorkbookFile(xlsFixture(kBiff5Fixture), options);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, xls::ErrorCode::UnsupportedVersion) << xls::errorCodeName(read.error().code);
    }
}

TEST(XlsFixtureDetails, DefaultPasswordOpensWithoutOne)
{
    auto read = xls::readWorkbookFile(xlsFixture("rc4-standard-default-password.xls"));
    ASSERT_TRUE(read) << read.error().detail;
    EXPECT_TRUE(read->defaultPasswordUsed);
    EXPECT_EQ(read->encryption, xls::EncryptionScheme::Rc4);

    // A file with a real password does not report the default one.
    xls::ReadOptions options;
    options.password = s("pwtest2");
    auto other = xls::readWorkbookFile(xlsFixture("rc4-standard-pwtest2.xls"), options);
    ASSERT_TRUE(other) << other.error().detail;
    EXPECT_FALSE(other->defaultPasswordUsed);
    // And without the password it does not open.
    auto none = xls::readWorkbookFile(xlsFixture("rc4-standard-pwtest2.xls"));
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().code, xls::ErrorCode::WrongPassword);
}

TEST(XlsFixtureDetails, PageSetupAndFrozenPanesOfExcel)
{
    auto read = xls::readWorkbookFile(xlsFixture("page-setup-frozen-excel.xls"));
    ASSERT_TRUE(read) << read.error().detail;
    ASSERT_EQ(read->workbook.sheets.size(), 1u);
    const xls::Sheet& sheet = read->workbook.sheets[0];
    EXPECT_EQ(sheet.name, s("Tabelle1"));
    const xls::PageSetup& page = sheet.pageSetup;
    EXPECT_EQ(page.paperSize, 9);
    EXPECT_EQ(page.orientation, xls::Orientation::Landscape);
    EXPECT_TRUE(page.fitToPage);
    EXPECT_EQ(page.fitWidth, 1);
    EXPECT_EQ(page.fitHeight, 1);
    EXPECT_NEAR(page.leftMargin, 0.394, 1e-3);
    EXPECT_NEAR(page.rightMargin, 0.394, 1e-3);
    EXPECT_NEAR(page.topMargin, 0.787, 1e-3);
    EXPECT_NEAR(page.bottomMargin, 0.787, 1e-3);
    EXPECT_NEAR(page.headerMargin, 0.394, 1e-3);
    EXPECT_NEAR(page.footerMargin, 0.394, 1e-3);
    EXPECT_TRUE(page.header.contains(QStringLiteral("&L"))) << page.header.toStdString();
    EXPECT_TRUE(page.header.contains(s("für")) || page.footer.contains(s("für")))
        << page.header.toStdString() << " / " << page.footer.toStdString();
    EXPECT_EQ(sheet.frozenRows, 2);
    EXPECT_EQ(sheet.frozenColumns, 7);
    // Its built-in Print_Area and Print_Titles names point at #REF!
    // (tAreaErr3d): no area may be made up from them, and the names count as
    // content that is not kept.
    EXPECT_TRUE(page.printArea.empty());
    EXPECT_FALSE(page.titleRows.has_value());
    EXPECT_FALSE(page.titleColumns.has_value());
    EXPECT_TRUE(xls::hasAny(read->workbook.dropped, xls::DroppedContent::DefinedNames));
    EXPECT_TRUE(xls::hasAny(read->workbook.dropped, xls::DroppedContent::Formulas));
}

TEST(XlsFixtureDetails, FrozenPanesOnFourSheets)
{
    auto read = xls::readWorkbookFile(xlsFixture("freeze-panes-excel.xls"));
    ASSERT_TRUE(read) << read.error().detail;
    struct Expected {
        const char* name;
        int rows;
        int columns;
    };
    const Expected expected[] = {{"B2", 1, 1}, {"B3", 2, 1}, {"A2", 1, 0}, {"B1", 0, 1}};
    ASSERT_EQ(read->workbook.sheets.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const xls::Sheet& sheet = read->workbook.sheets[i];
        EXPECT_EQ(sheet.name, s(expected[i].name));
        EXPECT_EQ(sheet.frozenRows, expected[i].rows) << expected[i].name;
        EXPECT_EQ(sheet.frozenColumns, expected[i].columns) << expected[i].name;
    }
}
