#include "archivio/ArchiveTool.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"
#include "store/Workbook.h"
#include "support/TestSupport.h"
#include "xls/Reader.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using quadrilo::testsupport::fixturePath;
using quadrilo::testsupport::readFileBytes;
using quadrilo::testsupport::TempDir;
using quadrilo::testsupport::writeFileBytes;
namespace store = quadrilo::store;
namespace xls = quadrilo::xls;

namespace {

using quadrilo::testsupport::s;

const char* const kUsage =
    "Uso:\n"
    "  quadrilo-archivio nuovo CARTELLA [--utente NOME --password PWD] [--password-utenti PWD] [--password-excel PWD]\n"
    "  quadrilo-archivio utente CARTELLA --utente NOME --password PWD [--password-utenti PWD] [--password-excel PWD]\n"
    "  quadrilo-archivio mostra FILE [--password PWD]\n"
    "  quadrilo-archivio copia ORIGINE DESTINAZIONE [--password PWD]\n"
    "  quadrilo-archivio ripristina CARTELLA COPIA\n"
    "  quadrilo-archivio giornaliero FILE AAAA-MM-GG USCITA.pdf [--password PWD]\n";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

QString contentOf(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    QByteArray bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, static_cast<qsizetype>(n));
    return QString::fromUtf8(bytes);
}

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& arguments)
{
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    std::unique_ptr<std::FILE, FileCloser> err(std::tmpfile());
    EXPECT_TRUE(out && err);
    if (!out || !err)
        return {};
    ToolRun run;
    run.status = quadrilo::archivio::run(arguments, out.get(), err.get());
    run.out = contentOf(out.get());
    run.err = contentOf(err.get());
    return run;
}

QString xlsFixture(const char* file)
{
    return fixturePath(QStringLiteral("xls/") + s(file));
}

QStringList lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int linesOfSheet(const QString& listing, const char* sheet)
{
    int n = 0;
    for (const QString& line : lines(listing))
        if (line.startsWith(s(sheet) + QLatin1Char('\t')))
            ++n;
    return n;
}

} // namespace

// --- nuovo -------------------------------------------------------------------

TEST(ArchiveToolNew, CreatesTheWorkbookAndTheAttachmentFolder)
{
    TempDir dir;
    const QString folder = dir.filePath(s("ufficio/archivio"));
    const ToolRun run = runTool({s("nuovo"), folder});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString path = folder + s("/Protocollo.xls");
    EXPECT_EQ(run.out, s("Creato ") + path + s(" (utente admin).\n"));
    EXPECT_EQ(run.err, QString());
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_TRUE(QFileInfo(folder + s("/Prot")).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{s("Prot"), s("Protocollo.xls")}));

    // Encrypted with the program's password.
    xls::ReadOptions options;
    options.password = s("Mora4715");
    options.requireEncryption = true;
    auto read = xls::readWorkbookFile(path, options);
    ASSERT_TRUE(read) << read.error().detail;
    ASSERT_EQ(read->workbook.sheets.size(), 4u);
    EXPECT_EQ(read->workbook.sheets[0].name, s("Entrata"));
    EXPECT_EQ(read->workbook.sheets[3].name, s("Varie"));
}

TEST(ArchiveToolNew, NeverOverwritesAnExistingWorkbook)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path()}).status, 0);
    const QString path = dir.filePath(s("Protocollo.xls"));
    const QByteArray before = readFileBytes(path);

    const ToolRun again = runTool({s("nuovo"), dir.path(), s("--utente"), s("altro"), s("--password"), s("altra")});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, s("Il file ") + path + s(" esiste già: non viene sovrascritto.\n"));
    EXPECT_EQ(again.out, QString());
    EXPECT_EQ(readFileBytes(path), before);

    // Not even a file that is no workbook at all.
    TempDir other;
    const QString foreign = other.filePath(s("Protocollo.xls"));
    ASSERT_TRUE(writeFileBytes(foreign, "appunti"));
    EXPECT_EQ(runTool({s("nuovo"), other.path()}).status, 1);
    EXPECT_EQ(readFileBytes(foreign), QByteArray("appunti"));
}

TEST(ArchiveToolNew, UserAndPasswordGoIntoTheUsersTable)
{
    TempDir dir;
    const ToolRun run = runTool({s("nuovo"), dir.path(), s("--utente"), s("mario.rossi"), s("--password"), s("0123")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, s("Creato ") + dir.filePath(s("Protocollo.xls")) + s(" (utente mario.rossi).\n"));

    const ToolRun shown = runTool({s("mostra"), dir.filePath(s("Protocollo.xls"))});
    ASSERT_EQ(shown.status, 0) << shown.err.toStdString();
    const QStringList listed = lines(shown.out);
    EXPECT_TRUE(listed.contains(s("Varie\tK2\tnumber\t1")));
    EXPECT_TRUE(listed.contains(s("Varie\tN2\ttext\tmario.rossi")));
    EXPECT_TRUE(listed.contains(s("Varie\tO2\ttext\t0123")));
    EXPECT_TRUE(listed.contains(s("Varie\tIT1\tnumber\t2")));
    // Neither area is open to anyone: both access passwords are the user's.
    EXPECT_TRUE(listed.contains(s("Varie\tV2\ttext\t0123")));
    EXPECT_TRUE(listed.contains(s("Varie\tW2\ttext\t0123")));

    TempDir other;
    ASSERT_EQ(runTool({s("nuovo"), other.path(), s("--password-utenti"), s("area"), s("--password-excel"), s("xl")}).status, 0);
    const QStringList given = lines(runTool({s("mostra"), other.filePath(s("Protocollo.xls"))}).out);
    EXPECT_TRUE(given.contains(s("Varie\tW2\ttext\tarea")));
    EXPECT_TRUE(given.contains(s("Varie\tV2\ttext\txl")));
}

TEST(ArchiveToolNew, UsageErrors)
{
    TempDir dir;
    const QString folder = dir.filePath(s("nuovo"));
    struct Case {
        QStringList arguments;
        QString err;
    };
    const Case cases[] = {
        {{s("nuovo"), folder, s("--utente"), s("mario")}, s(kUsage)},
        {{s("nuovo"), folder, s("--password"), s("segreta")}, s(kUsage)},
        {{s("nuovo")}, s(kUsage)},
        {{s("nuovo"), folder, s("altro")}, s(kUsage)},
        {{s("nuovo"), folder, s("--utente")}, s("manca il valore di --utente\n") + s(kUsage)},
        {{s("nuovo"), folder, s("--forza")}, s("opzione sconosciuta: --forza\n") + s(kUsage)},
        {{s("nuovo"), folder, s("--utente"), QString(), s("--password"), QString()},
         s("Nome utente e password non possono essere vuoti.\n")},
        {{}, s(kUsage)},
        {{s("elimina"), folder}, s(kUsage)},
        {{s("mostra")}, s(kUsage)},
        {{s("copia"), folder}, s(kUsage)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, QString());
    }
    // None of them created anything.
    EXPECT_EQ(dir.entries(), QStringList());
}

// --- mostra ------------------------------------------------------------------

TEST(ArchiveToolShow, ListsTheHeadersOfANewArchive)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path()}).status, 0);
    const ToolRun run = runTool({s("mostra"), dir.filePath(s("Protocollo.xls"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QString());
    ASSERT_TRUE(run.out.endsWith(QLatin1Char('\n')));
    const QStringList listed = lines(run.out);

    const QStringList expectedHeaders = {
        s("Entrata\tA1\ttext\tN.Prot."),
        s("Entrata\tB1\ttext\tData"),
        s("Entrata\tC1\ttext\tTipo Corrispondenza"),
        s("Entrata\tD1\ttext\tTipo Documento"),
        s("Entrata\tE1\ttext\tData Doc."),
        s("Entrata\tF1\ttext\tMittente"),
        s("Entrata\tG1\ttext\tOggetto"),
        s("Entrata\tH1\ttext\tNota"),
        s("Entrata\tI1\ttext\tAllegati"),
        s("Entrata\tJ1\ttext\tSettore"),
        s("Entrata\tK1\ttext\tAssegnato"),
        s("Uscita\tA1\ttext\tN.Prot."),
        s("Uscita\tB1\ttext\tData"),
        s("Uscita\tC1\ttext\tTipo Corrispondenza"),
        s("Uscita\tD1\ttext\tTipo Documento"),
        s("Uscita\tE1\ttext\tData Doc."),
        s("Uscita\tF1\ttext\tDestinatario"),
        s("Uscita\tG1\ttext\tOggetto"),
        s("Uscita\tH1\ttext\tNota"),
        s("Uscita\tI1\ttext\tAllegati"),
        s("Uscita\tJ1\ttext\tSettore"),
        s("Uscita\tK1\ttext\tAssegnato"),
        s("Cliente\tA1\ttext\tID"),
        s("Cliente\tB1\ttext\tRagione Sociale/Cognome Nome"),
        s("Cliente\tC1\ttext\tTipoContatto"),
        s("Cliente\tD1\ttext\tData"),
        s("Cliente\tE1\ttext\tIndirizzo"),
        s("Cliente\tF1\ttext\tCAP"),
        s("Cliente\tG1\ttext\tLocalità"),
        s("Cliente\tH1\ttext\tPR"),
        s("Cliente\tI1\ttext\tTelefono"),
        s("Cliente\tJ1\ttext\tFax"),
        s("Cliente\tK1\ttext\tCellulare"),
        s("Cliente\tL1\ttext\tEmail"),
        s("Cliente\tM1\ttext\tCodice Fiscale"),
        s("Cliente\tN1\ttext\tPartita IVA"),
        s("Cliente\tO1\ttext\tReferente/Rappresentante"),
        s("Cliente\tP1\ttext\tAnnotazioni"),
        s("Cliente\tQ1\ttext\tNota"),
        s("Varie\tA1\ttext\tTipoCorrispondenza"),
        s("Varie\tB1\ttext\tTipoDocumento"),
        s("Varie\tC1\ttext\tSettore"),
        s("Varie\tD1\ttext\tAssegnata"),
        s("Varie\tE1\ttext\tTipoContatto"),
        s("Varie\tK1\ttext\tID"),
        s("Varie\tL1\ttext\tCognome"),
        s("Varie\tM1\ttext\tNome"),
        s("Varie\tN1\ttext\tUSERID"),
        s("Varie\tO1\ttext\tPWD"),
        s("Varie\tP1\ttext\tAccesso"),
        s("Varie\tR1\ttext\tIntestatario"),
        s("Varie\tS1\ttext\tSede"),
        s("Varie\tT1\ttext\tCodiceFiscale"),
        s("Varie\tU1\ttext\tP.IVA"),
        s("Varie\tV1\ttext\tPWD EXCEL"),
        s("Varie\tW1\ttext\tPWD UTENTI"),
        s("Varie\tIT1\tnumber\t2"),
    };
    // Row 1 of every sheet, in order, at the start of each sheet's block.
    QStringList rowOne;
    for (const QString& line : listed) {
        QString cell = line.section(QLatin1Char('\t'), 1, 1);
        while (!cell.isEmpty() && cell.front().isLetter())
            cell.remove(0, 1);
        if (cell == QLatin1String("1"))
            rowOne << line;
    }
    EXPECT_EQ(rowOne, expectedHeaders);
    EXPECT_EQ(listed.mid(0, 11), expectedHeaders.mid(0, 11));
    EXPECT_EQ(linesOfSheet(run.out, "Entrata"), 11);
    EXPECT_EQ(linesOfSheet(run.out, "Uscita"), 11);
    EXPECT_EQ(linesOfSheet(run.out, "Cliente"), 17);
    EXPECT_TRUE(listed.contains(s("Varie\tN2\ttext\tadmin")));
    EXPECT_TRUE(listed.contains(s("Varie\tO2\ttext\tadmin")));
    EXPECT_TRUE(listed.contains(s("Varie\tK2\tnumber\t1")));
    // No counters yet.
    EXPECT_FALSE(run.out.contains(s("\tIV1\t")));
    EXPECT_FALSE(run.out.contains(s("\tIU1\t")));
}

TEST(ArchiveToolShow, ValuesAndEscapes)
{
    TempDir dir;
    const QString path = dir.filePath(s("Valori.xls"));
    store::Workbook book;
    store::Sheet sheet = *book.addSheet(s("Valori"));
    sheet.setText(1, 1, s("a\tb"));
    sheet.setText(2, 1, s("riga uno\nriga due"));
    sheet.setText(3, 1, s("C:\\Documenti\\prot"));
    sheet.setText(4, 1, s("a\r\nb"));
    sheet.setText(5, 1, s("\\t non è una tabulazione"));
    sheet.setText(6, 1, s("  spazi  "));
    sheet.setNumber(1, 2, 0.974);
    sheet.setNumber(2, 2, -21.59);
    sheet.setNumber(3, 2, 1234);
    sheet.setNumber(4, 2, -5);
    sheet.setNumber(5, 2, 0.1 + 0.2);
    sheet.setNumber(6, 2, 0);
    sheet.setDate(1, 3, QDate(2026, 12, 7));
    sheet.setDateTime(2, 3, QDateTime(QDate(2026, 12, 7), QTime(10, 30), Qt::UTC));
    sheet.setBoolean(1, 4, true);
    sheet.setBoolean(2, 4, false);
    sheet.setValue(3, 4, store::CellValue::fromError(xls::CellError::DivZero));
    sheet.setText(7, 1, s("00184"));
    store::Sheet second = *book.addSheet(s("Secondo foglio"));
    second.setText(1, 1, s("ultimo"));

    store::SessionOptions options;
    options.password = s("Mora4715");
    auto saved = store::saveWorkbookFile(book.data(), path, options);
    ASSERT_TRUE(saved) << saved.error().detail.toStdString();

    const ToolRun run = runTool({s("mostra"), path});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, s("Valori\tA1\ttext\ta\\tb\n"
                         "Valori\tB1\tnumber\t0.974\n"
                         "Valori\tC1\tdate\t2026-12-07\n"
                         "Valori\tD1\tbool\tTRUE\n"
                         "Valori\tA2\ttext\triga uno\\nriga due\n"
                         "Valori\tB2\tnumber\t-21.59\n"
                         "Valori\tC2\tdate\t2026-12-07T10:30:00\n"
                         "Valori\tD2\tbool\tFALSE\n"
                         "Valori\tA3\ttext\tC:\\\\Documenti\\\\prot\n"
                         "Valori\tB3\tnumber\t1234\n"
                         "Valori\tD3\terror\t#DIV/0!\n"
                         "Valori\tA4\ttext\ta\\r\\nb\n"
                         "Valori\tB4\tnumber\t-5\n"
                         "Valori\tA5\ttext\t\\\\t non è una tabulazione\n"
                         "Valori\tB5\tnumber\t0.3\n"
                         "Valori\tA6\ttext\t  spazi  \n"
                         "Valori\tB6\tnumber\t0\n"
                         "Valori\tA7\ttext\t00184\n"
                         "Secondo foglio\tA1\ttext\tultimo\n"));
}

TEST(ArchiveToolShow, FilesThatCannotBeReadFailWithAMessage)
{
    TempDir dir;
    const QString missing = dir.filePath(s("Protocollo.xls"));
    const ToolRun none = runTool({s("mostra"), missing});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, QString());
    EXPECT_EQ(none.err, s("Impossibile leggere il file ") + missing + s(".\n"));

    const QString garbage = dir.filePath(s("garbage.xls"));
    ASSERT_TRUE(writeFileBytes(garbage, QByteArray(3000, '\x5A')));
    const ToolRun bad = runTool({s("mostra"), garbage});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, QString());
    EXPECT_EQ(bad.err, s("Il file ") + garbage + s(" non è una cartella di lavoro di Excel.\n"));

    const QString xlsx = dir.filePath(s("nuovo.xls"));
    ASSERT_TRUE(writeFileBytes(xlsx, QByteArray("PK\x03\x04", 4) + QByteArray(200, '\0')));
    const ToolRun zip = runTool({s("mostra"), xlsx});
    EXPECT_EQ(zip.status, 1);
    EXPECT_EQ(zip.err, s("Il file ") + xlsx
                           + s(" è nel formato .xlsx: occorre salvarlo come \"Cartella di lavoro di Excel 97-2003\" (.xls).\n"));

    const ToolRun biff5 = runTool({s("mostra"), xlsFixture("xor-biff5-excel2002.xls"), s("--password"), s("password")});
    EXPECT_EQ(biff5.status, 1);
    EXPECT_EQ(biff5.err, s("Il file ") + xlsFixture("xor-biff5-excel2002.xls")
                             + s(" è nel formato di Excel 95 o precedente: occorre salvarlo come \"Cartella di lavoro di Excel "
                                 "97-2003\" (.xls).\n"));

    const ToolRun wrong = runTool({s("mostra"), xlsFixture("rc4-standard-pwtest2.xls"), s("--password"), s("pwtest3")});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, QString());
    EXPECT_EQ(wrong.err, s("La password del file ") + xlsFixture("rc4-standard-pwtest2.xls") + s(" non è corretta.\n"));
    // Without a password only the program's own is tried.
    EXPECT_EQ(runTool({s("mostra"), xlsFixture("rc4-standard-pwtest2.xls")}).status, 1);
}

TEST(ArchiveToolShow, ProgramPasswordIsTriedAfterTheGivenOne)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path()}).status, 0);
    const QString path = dir.filePath(s("Protocollo.xls"));
    const ToolRun plain = runTool({s("mostra"), path});
    const ToolRun withOther = runTool({s("mostra"), path, s("--password"), s("non-questa")});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(withOther.status, 0) << withOther.err.toStdString();
    EXPECT_EQ(withOther.out, plain.out);
}

TEST(ArchiveToolShow, FixtureListingMatchesTheOracle)
{
    // One plain and one encrypted file written by Excel.
    struct Case {
        const char* file;
        const char* password;
    };
    for (const Case& c : {Case{"rk-numbers-excel.xls", nullptr}, Case{"rc4-cryptoapi-128bit-macexcel.xls", "Password1234_"}}) {
        SCOPED_TRACE(c.file);
        QStringList arguments{s("mostra"), xlsFixture(c.file)};
        if (c.password)
            arguments << s("--password") << s(c.password);
        const ToolRun run = runTool(arguments);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        QString expected = QString::fromUtf8(readFileBytes(xlsFixture(c.file) + s(".expected.tsv")));
        expected.replace(s("\txldate\t"), s("\tdate\t"));
        EXPECT_EQ(run.out, expected);
    }
}

// --- copia -------------------------------------------------------------------

TEST(ArchiveToolCopy, CopyWithPasswordListsLikeTheOriginal)
{
    TempDir dir;
    const QString source = xlsFixture("rc4-standard-excel-cyrillic-sheets.xls");
    const QString target = dir.filePath(s("copia.xls"));
    const QByteArray sourceBytes = readFileBytes(source);

    const ToolRun copy = runTool({s("copia"), source, target, s("--password"), s("password")});
    ASSERT_EQ(copy.status, 0) << copy.err.toStdString();
    EXPECT_EQ(copy.err, QString());
    EXPECT_EQ(readFileBytes(source), sourceBytes);

    const ToolRun original = runTool({s("mostra"), source, s("--password"), s("password")});
    const ToolRun copied = runTool({s("mostra"), target, s("--password"), s("password")});
    ASSERT_EQ(original.status, 0) << original.err.toStdString();
    ASSERT_EQ(copied.status, 0) << copied.err.toStdString();
    EXPECT_FALSE(original.out.isEmpty());
    EXPECT_EQ(copied.out, original.out);

    // The copy carries that password, not the program's.
    xls::ReadOptions options;
    options.password = s("password");
    options.requireEncryption = true;
    EXPECT_TRUE(xls::readWorkbookFile(target, options));
    options.password = s("Mora4715");
    auto withProgramPassword = xls::readWorkbookFile(target, options);
    ASSERT_FALSE(withProgramPassword);
    EXPECT_EQ(withProgramPassword.error().code, xls::ErrorCode::WrongPassword);
}

TEST(ArchiveToolCopy, CopyWithoutPasswordUsesTheProgramOneAndNamesWhatWasLeftOut)
{
    TempDir dir;
    const QString source = xlsFixture("dates-1900-macexcel.xls");
    const QString target = dir.filePath(s("Protocollo.xls"));
    const ToolRun copy = runTool({s("copia"), source, target});
    ASSERT_EQ(copy.status, 0) << copy.err.toStdString();
    EXPECT_TRUE(copy.out.startsWith(s("Non copiati: "))) << copy.out.toStdString();
    EXPECT_TRUE(copy.out.contains(s("formule (resta il loro ultimo valore)"))) << copy.out.toStdString();
    EXPECT_TRUE(copy.out.endsWith(s(".\n")));

    xls::ReadOptions options;
    options.password = s("Mora4715");
    options.requireEncryption = true;
    auto read = xls::readWorkbookFile(target, options);
    ASSERT_TRUE(read) << read.error().detail;
    EXPECT_EQ(read->workbook.dropped, xls::DroppedContent::None);

    const ToolRun original = runTool({s("mostra"), source});
    const ToolRun copied = runTool({s("mostra"), target});
    ASSERT_EQ(copied.status, 0);
    EXPECT_EQ(copied.out, original.out);
    // Formula results stay as values.
    EXPECT_TRUE(copied.out.contains(s("Sheet1\tC1\ttext\t1900-01-01\n")));
}

TEST(ArchiveToolCopy, UnreadableSourceWritesNothing)
{
    TempDir dir;
    const QString source = dir.filePath(s("rotto.xls"));
    ASSERT_TRUE(writeFileBytes(source, "non sono un file di Excel"));
    const QString target = dir.filePath(s("copia.xls"));
    const ToolRun copy = runTool({s("copia"), source, target});
    EXPECT_EQ(copy.status, 1);
    EXPECT_EQ(copy.err, s("Il file ") + source + s(" non è una cartella di lavoro di Excel.\n"));
    EXPECT_EQ(dir.entries(), QStringList{s("rotto.xls")});
}

// --- utente ------------------------------------------------------------------

TEST(ArchiveToolUser, ResetsOrAddsAUserAndSetsTheAccessPasswordsButNotWhileTheWorkbookIsHeld)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path(), s("--utente"), s("mario"), s("--password"), s("vecchia")}).status, 0);
    const QString path = dir.filePath(s("Protocollo.xls"));

    const ToolRun reset = runTool({s("utente"), dir.path(), s("--utente"), s("mario"), s("--password"), s("nuova")});
    ASSERT_EQ(reset.status, 0) << reset.err.toStdString();
    EXPECT_EQ(reset.out, s("Nuova password per l'utente mario; impostate la password dell'area utenti e quella di Excel.\n"));
    const ToolRun added = runTool({s("utente"), dir.path(), s("--utente"), s("lucia"), s("--password"), s("pl"),
                                   s("--password-utenti"), s("area")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    const QStringList listed = lines(runTool({s("mostra"), path}).out);
    for (const char* cell : {"Varie\tO2\ttext\tnuova", "Varie\tK3\tnumber\t2", "Varie\tN3\ttext\tlucia",
                             "Varie\tO3\ttext\tpl", "Varie\tW2\ttext\tarea", "Varie\tV2\ttext\tpl"})
        EXPECT_TRUE(listed.contains(s(cell))) << cell;

    // Refused while the program holds the workbook.
    store::SessionOptions options;
    options.password = s("Mora4715");
    auto held = store::WorkbookSession::open(path, options);
    ASSERT_TRUE(held);
    const QByteArray before = readFileBytes(path);
    const ToolRun refused = runTool({s("utente"), dir.path(), s("--utente"), s("mario"), s("--password"), s("x")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(s("è già aperto da un altro programma"))) << refused.err.toStdString();
    EXPECT_EQ(readFileBytes(path), before);

    EXPECT_EQ(runTool({s("utente"), dir.path(), s("--utente"), s("mario")}).status, 2);
}

TEST(ArchiveToolCopy, NeverWritesOverAHeldWorkbookOrAFileThatIsNoWorkbook)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path()}).status, 0);
    const QString target = dir.filePath(s("Protocollo.xls"));
    const QString source = xlsFixture("rk-numbers-excel.xls");
    store::SessionOptions options;
    options.password = s("Mora4715");
    auto held = store::WorkbookSession::open(target, options);
    ASSERT_TRUE(held);
    const QByteArray before = readFileBytes(target);
    EXPECT_EQ(runTool({s("copia"), source, target}).status, 1);
    EXPECT_EQ(readFileBytes(target), before);
    (*held)->close();
    EXPECT_EQ(runTool({s("copia"), source, target}).status, 0);

    const QString notes = dir.filePath(s("appunti.txt"));
    ASSERT_TRUE(writeFileBytes(notes, "lista della spesa"));
    const ToolRun refused = runTool({s("copia"), source, notes});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, s("Il file ") + notes + s(" non è una cartella di lavoro di Excel: non viene sovrascritto.\n"));
    EXPECT_EQ(readFileBytes(notes), QByteArray("lista della spesa"));
}

// --- giornaliero and ripristina -----------------------------------------------

TEST(ArchiveToolDaily, EveryProtocolOfTheDayAndNoOtherInOrderWithItsFingerprint)
{
    TempDir dir;
    store::Workbook book = store::layout::createArchive(s("admin"), s("admin"));
    book.sheet(s("Varie"))->setText(2, 18, s("Comune di Prova"));
    auto entrata = *book.sheet(s("Entrata"));
    const struct {
        int number;
        QDate day;
        const char* who;
    } records[] = {{12, QDate(2026, 12, 9), "BETA"}, {3, QDate(2026, 12, 8), "IERI"}, {11, QDate(2026, 12, 9), "ALFA"},
                   {13, QDate(2026, 12, 10), "DOMANI"}};
    int row = 2;
    for (const auto& record : records) {
        entrata.setNumber(row, 1, record.number);
        entrata.setDate(row, 2, record.day);
        entrata.setText(row, 6, s(record.who));
        entrata.setText(row, 7, s("Oggetto\tcon tab"));
        ++row;
    }
    book.sheet(s("Uscita"))->setNumber(2, 1, 4);
    book.sheet(s("Uscita"))->setDate(2, 2, QDate(2026, 12, 9));
    book.sheet(s("Uscita"))->setText(2, 6, s("RISPOSTA"));
    const QString path = dir.filePath(s("Protocollo.xls"));
    store::SessionOptions options;
    options.password = s("Mora4715");
    ASSERT_TRUE(store::saveWorkbookFile(book.data(), path, options));

    const QString pdf = dir.filePath(s("giorno.pdf"));
    const ToolRun run = runTool({s("giornaliero"), path, s("2026-12-09"), pdf});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString fingerprint = QString::fromLatin1(readFileBytes(pdf + s(".sha256"))).trimmed();
    EXPECT_EQ(fingerprint.size(), 64);
    EXPECT_TRUE(run.out.startsWith(s("Registro giornaliero del 09/12/2026: 2 in entrata, 1 in uscita.\nImpronta SHA-256: ") + fingerprint));
    const QString text = quadrilo::testsupport::pdfText(pdf).simplified();
    EXPECT_TRUE(text.contains(s("Comune di Prova"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("Entrata: 2 protocolli, dal n. 11 al n. 12")));
    EXPECT_TRUE(text.contains(s("Uscita: 1 protocollo, dal n. 4 al n. 4")));
    EXPECT_LT(text.indexOf(s("ALFA")), text.indexOf(s("BETA"))) << "in number order";
    EXPECT_FALSE(text.contains(s("IERI")) || text.contains(s("DOMANI")));
    EXPECT_TRUE(text.contains(fingerprint));
    EXPECT_TRUE(quadrilo::testsupport::pdfMetadata(pdf).contains(s("pdfaid:part=\"1\""))) << "PDF/A-1b";

    // Same records, same fingerprint; a changed record, another one.
    ASSERT_EQ(runTool({s("giornaliero"), path, s("2026-12-09"), pdf}).status, 0);
    EXPECT_EQ(QString::fromLatin1(readFileBytes(pdf + s(".sha256"))).trimmed(), fingerprint);
    book.sheet(s("Entrata"))->setText(4, 7, s("Oggetto corretto"));
    ASSERT_TRUE(store::saveWorkbookFile(book.data(), path, options));
    ASSERT_EQ(runTool({s("giornaliero"), path, s("2026-12-09"), pdf}).status, 0);
    EXPECT_NE(QString::fromLatin1(readFileBytes(pdf + s(".sha256"))).trimmed(), fingerprint);

    const ToolRun empty = runTool({s("giornaliero"), path, s("2026-12-25"), pdf});
    ASSERT_EQ(empty.status, 0);
    EXPECT_TRUE(quadrilo::testsupport::pdfText(pdf).simplified().contains(s("Nessun protocollo è stato registrato in questo giorno.")));
    EXPECT_EQ(runTool({s("giornaliero"), path, s("9/12/2026"), pdf}).status, 2);
}

TEST(ArchiveToolRestore, PutsACopyBackAndKeepsTheReplacedWorkbook)
{
    TempDir dir;
    ASSERT_EQ(runTool({s("nuovo"), dir.path()}).status, 0);
    const QString path = dir.filePath(s("Protocollo.xls"));
    TempDir copies;
    const QString copy = copies.filePath(s("Protocollo-20261201.xls"));
    ASSERT_TRUE(quadrilo::testsupport::copyFile(path, copy));
    ASSERT_EQ(runTool({s("utente"), dir.path(), s("--utente"), s("dopo"), s("--password"), s("x")}).status, 0);
    const ToolRun restored = runTool({s("ripristina"), dir.path(), copy});
    ASSERT_EQ(restored.status, 0) << restored.err.toStdString();
    EXPECT_EQ(readFileBytes(path), readFileBytes(copy));
    EXPECT_TRUE(restored.out.contains(s("Il file sostituito è conservato in ")));
    EXPECT_EQ(QDir(dir.filePath(s("Backup"))).entryList(QDir::Files).size(), 1);
}
