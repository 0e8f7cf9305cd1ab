// Damaged, truncated, foreign and hostile input: each ends in its own error.

// libgsf first: glib uses the word "signals", which Qt defines as a macro.
#include <gsf/gsf.h>

#include "support/BiffBuilder.h"
#include "xls/CompoundFile.h"
#include "xls/Reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <random>

using namespace quadrilo;
using quadrilo::testing::BiffBuilder;
using Bytes = quadrilo::testing::Bytes;

namespace {

QString fixture(const char* name) { return QStringLiteral(QUADRILO_FIXTURES_DIR "/xls/") + QString::fromLatin1(name); }

Bytes fixtureBytes(const char* name) { return xls::readFileBytes(fixture(name)).value(); }

xls::ErrorCode errorOf(const Bytes& file, const QString& password = {}, bool requireEncryption = false)
{
    xls::ReadOptions options;
    options.password = password;
    options.requireEncryption = requireEncryption;
    auto r = xls::readWorkbook(file, options);
    EXPECT_FALSE(r.ok());
    return r.ok() ? xls::ErrorCode::InvalidContent : r.error().code;
}

Bytes workbookStream(const char* name)
{
    return xls::readCompoundFile(fixtureBytes(name)).value().workbookStream;
}

} // namespace

TEST(BadInput, ForeignFilesHaveTheirOwnErrors)
{
    EXPECT_EQ(errorOf({}), xls::ErrorCode::NotCompoundFile);
    EXPECT_EQ(errorOf(Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), xls::ErrorCode::NotCompoundFile);
    EXPECT_EQ(errorOf(Bytes{'P', 'K', 3, 4, 20, 0, 6, 0, 8, 0}), xls::ErrorCode::OfficeOpenXml);
    // Excel 4 wrote its BIFF stream as the whole file.
    EXPECT_EQ(errorOf(Bytes{0x09, 0x04, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00}), xls::ErrorCode::UnsupportedVersion);
    EXPECT_EQ(errorOf(fixtureBytes("xor-biff5-excel2002.xls"), QStringLiteral("password")), xls::ErrorCode::UnsupportedVersion);

    std::mt19937 random(42);
    Bytes noise(20000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    EXPECT_EQ(errorOf(noise), xls::ErrorCode::NotCompoundFile);
}

TEST(BadInput, CompoundFileWithoutWorkbookStream)
{
    gsf_init();
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    GsfOutput* child = gsf_outfile_new_child(ole, "Documento", FALSE);
    const char text[] = "non un foglio";
    gsf_output_write(child, sizeof text, reinterpret_cast<const guint8*>(text));
    gsf_output_close(child);
    gsf_output_close(GSF_OUTPUT(ole));
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    Bytes file(data, data + gsf_output_size(sink));
    g_object_unref(child);
    g_object_unref(ole);
    g_object_unref(sink);
    EXPECT_EQ(errorOf(file), xls::ErrorCode::MissingWorkbookStream);
}

TEST(BadInput, PasswordsAndEncryption)
{
    EXPECT_EQ(errorOf(fixtureBytes("rc4-cryptoapi-128bit-macexcel.xls"), QStringLiteral("sbagliata")), xls::ErrorCode::WrongPassword);
    EXPECT_EQ(errorOf(fixtureBytes("rc4-standard-pwtest2.xls")), xls::ErrorCode::WrongPassword);
    EXPECT_EQ(errorOf(fixtureBytes("xor-excel2002.xls"), QStringLiteral("Password")), xls::ErrorCode::WrongPassword);
    EXPECT_EQ(errorOf(fixtureBytes("rk-numbers-excel.xls"), QStringLiteral("Mora4715"), true), xls::ErrorCode::NotEncrypted);

    // Encrypted with Excel's built-in password: opens without asking.
    auto opened = xls::readWorkbook(fixtureBytes("rc4-standard-default-password.xls"));
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->defaultPasswordUsed);
    EXPECT_EQ(opened->encryption, xls::EncryptionScheme::Rc4);

    using B = BiffBuilder;
    BiffBuilder b;
    b.bof(0x0005).record(xls::rt::FilePass, B::concat({B::u16(7), B::u16(1), B::u16(1)})).eof();
    EXPECT_EQ(errorOf(b.file(), QStringLiteral("x")), xls::ErrorCode::UnsupportedEncryption);
}

TEST(BadInput, TruncatedFilesAndStreams)
{
    const Bytes file = fixtureBytes("many-rows-datasets-macexcel.xls");
    for (std::size_t size : {std::size_t(100), std::size_t(512), std::size_t(600), file.size() / 2, file.size() - 1}) {
        Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        auto r = xls::readWorkbook(cut);
        EXPECT_FALSE(r.ok()) << "cut at " << size;
    }
    const Bytes stream = workbookStream("many-rows-datasets-macexcel.xls");
    for (std::size_t size : {std::size_t(3), std::size_t(200), stream.size() / 3, stream.size() / 2}) {
        Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(errorOf(xls::writeCompoundFile(cut).value()), xls::ErrorCode::Corrupt) << "stream cut at " << size;
    }
}

TEST(BadInput, HostileRecords)
{
    using B = BiffBuilder;
    auto sheetWith = [](std::uint16_t type, const Bytes& data) {
        BiffBuilder b;
        b.minimalGlobals().boundSheet(QStringLiteral("S")).eof();
        b.sheetStart().record(type, data).eof();
        return b.file();
    };
    EXPECT_EQ(errorOf(sheetWith(xls::rt::LabelSst, B::concat({B::cell(0, 0), B::u32(7)}))), xls::ErrorCode::Corrupt)
        << "string index beyond the table";
    EXPECT_EQ(errorOf(sheetWith(xls::rt::Number, B::concat({B::cell(0, 300), B::f64(1)}))), xls::ErrorCode::Corrupt)
        << "column beyond IV";
    EXPECT_EQ(errorOf(sheetWith(xls::rt::MulRk, B::concat({B::u16(0), B::u16(255), B::u16(15), B::u32(2), B::u16(15), B::u32(2), B::u16(256)}))),
              xls::ErrorCode::Corrupt);
    EXPECT_EQ(errorOf(sheetWith(xls::rt::MulBlank, Bytes{0, 0, 0})), xls::ErrorCode::Corrupt);
    EXPECT_EQ(errorOf(sheetWith(xls::rt::Number, Bytes{0, 0})), xls::ErrorCode::Corrupt);

    // A sheet offset pointing nowhere, a sheet pointing at the globals, no EOF.
    BiffBuilder far;
    far.minimalGlobals();
    far.record(xls::rt::BoundSheet, B::concat({B::u32(0x7FFFFFF0), Bytes{0, 0}, B::shortString(QStringLiteral("S"))})).eof();
    EXPECT_EQ(errorOf(far.file()), xls::ErrorCode::Corrupt);

    BiffBuilder twice;
    twice.minimalGlobals().boundSheet(QStringLiteral("A")).boundSheet(QStringLiteral("B")).eof();
    twice.sheetStart();
    twice.eof();
    EXPECT_EQ(errorOf(twice.file()), xls::ErrorCode::Corrupt);

    BiffBuilder noEof;
    noEof.minimalGlobals().boundSheet(QStringLiteral("S")).eof();
    noEof.sheetStart().record(xls::rt::Number, B::concat({B::cell(0, 0), B::f64(1)}));
    EXPECT_EQ(errorOf(noEof.file()), xls::ErrorCode::Corrupt);

    BiffBuilder noSheets;
    noSheets.minimalGlobals().eof();
    EXPECT_EQ(errorOf(noSheets.file()), xls::ErrorCode::Corrupt);

    BiffBuilder notGlobals;
    notGlobals.bof(0x0010).eof();
    EXPECT_EQ(errorOf(notGlobals.file()), xls::ErrorCode::Corrupt);
}

// Every single-byte change and many truncations of a real stream end in a
// result or an error, never a crash (the fuzz target goes much further).
TEST(BadInput, FlippedBytesNeverCrash)
{
    const Bytes stream = workbookStream("rk-numbers-excel.xls");
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        Bytes damaged = stream;
        const std::size_t at = random() % damaged.size();
        damaged[at] = static_cast<std::uint8_t>(random());
        auto r = xls::readWorkbook(xls::writeCompoundFile(damaged).value());
        (void)r;
    }
    SUCCEED();
}

TEST(BadInput, CellsFarApartInEveryRowAreRefusedBeforeTheyTakeTheMemory)
{
    // One BLANK in column IV of each of the 65,536 rows: 640 KB of records
    // that would take 670 MB stored densely.
    BiffBuilder b;
    b.minimalGlobals().boundSheet(QStringLiteral("Foglio1")).eof().sheetStart();
    for (int row = 0; row < xls::kMaxRows; ++row)
        b.record(xls::rt::Blank, BiffBuilder::cell(static_cast<std::uint16_t>(row), 255));
    b.eof();
    EXPECT_EQ(errorOf(b.file()), xls::ErrorCode::TooLarge);
}

TEST(BadInput, FilesFarLargerThanAnyRegisterAreNotReadIntoMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grande.xls"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(2) << 30));   // sparse: no disk taken
    file.close();
    auto read = xls::readWorkbookFile(path);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, xls::ErrorCode::TooLarge);
}
