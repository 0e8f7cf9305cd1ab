// Scanning documents into the attachment folder and viewing them: the windows
// with a scripted scanner, and SANE's test backend for real acquisitions.

#include "scan/SaneScanner.h"
#include "scan/ScanWindows.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

class ScanTest : public MainWindowTest {
protected:
    QWidget* topLevel(const char* name)
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String(name) && widget->isVisible())
                return widget;
        return nullptr;
    }
    QPlainTextEdit* note() { return child<QPlainTextEdit>(*form, "Text6"); }
    QWidget* openScanner()
    {
        trigger("MenuClienti");
        child<QLineEdit>(*form, "Text4")->setText(s("ALFA SRL"));
        QTest::mouseClick(child<QPushButton>(*form, "Command50"), Qt::LeftButton);
        return topLevel("Form5");
    }
    void scan(QWidget* window, std::optional<QString> name)
    {
        dialogs.answerInput(std::move(name));
        QTest::mouseClick(child<QPushButton>(*window, "Command1"), Qt::LeftButton);
    }
    QString attachment(const char* name) { return folder.filePath(s("Prot/") + s(name)); }
};

} // namespace

TEST_F(ScanTest, AScanWritesTheFileAndNamesItInTheNote)
{
    openDefault();
    QWidget* window = openScanner();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), s("Scanner"));
    scan(window, s("abc.bmp"));
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Input, s("Scanner"), s("Digita il nome del documento, l'estensione del file è : TuoNomeFile.bmp"),
                           MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, QString(), s("Hai  immesso: 'abc.bmp"), MessageIcon::None}));
    EXPECT_EQ(scanner.scanned, QStringList{attachment("abc.bmp")});
    EXPECT_TRUE(QFileInfo::exists(attachment("abc.bmp")));
    EXPECT_EQ(note()->toPlainText(), s("\nAllegato:-abc.bmp")) << "the line break comes first";
    EXPECT_EQ(child<QLineEdit>(*window, "Text1")->text(), s("abc.bmp"));

    // The window stays for the next page; a name without extension is kept as typed.
    scan(window, s("scan1"));
    EXPECT_TRUE(QFileInfo::exists(attachment("scan1")));
    EXPECT_EQ(note()->toPlainText(), s("\nAllegato:-abc.bmp\nAllegato:-scan1"));

    // Entered with the protocol, the note keeps the lines.
    child<QLineEdit>(*form, "Text2")->setText(s("7/12/2026"));
    child<QLineEdit>(*form, "Text5")->setText(s("Documenti"));
    dialogs.answerYes();
    QTest::mouseClick(child<QPushButton>(*form, "Command16"), Qt::LeftButton);
    EXPECT_EQ(sheet(layout::kEntrata).text(2, 8), s("\nAllegato:-abc.bmp\nAllegato:-scan1"));
}

TEST_F(ScanTest, AScanNeedsAProtocolAndAName)
{
    openDefault();
    trigger("MenuClienti");
    QTest::mouseClick(child<QPushButton>(*form, "Command50"), Qt::LeftButton);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Message, s("Scanner"),
                           s("ERRORE : Il documento deve essere associato ad un Protocollo ed a un Contatto/Mittente/Destinatario "),
                           MessageIcon::Information}));
    EXPECT_EQ(topLevel("Form5"), nullptr);

    dialogs.clear();
    QWidget* window = openScanner();
    ASSERT_NE(window, nullptr);
    for (const std::optional<QString>& name : {std::optional<QString>(), std::optional<QString>(s("")), std::optional<QString>(s(".bmp"))}) {
        dialogs.clear();
        scan(window, name);
        EXPECT_EQ(dialogs.texts().last(), s("Non Hai Inserito il nome del File "));
    }
    dialogs.clear();
    scan(window, s("ab"));
    EXPECT_EQ(dialogs.boxes().size(), 1u) << "a short name does nothing";
    EXPECT_TRUE(scanner.scanned.isEmpty());
    EXPECT_TRUE(note()->toPlainText().isEmpty());
}

TEST_F(ScanTest, NamesLeavingTheFolderAndFailedScansAddNothing)
{
    openDefault();
    QWidget* window = openScanner();
    ASSERT_NE(window, nullptr);
    dialogs.clear();
    scan(window, s("../fuori.bmp"));
    EXPECT_EQ(dialogs.texts().last(), s("ERRORE : Il nome del file non può contenere cartelle ( / o \\ ) !"));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(s("fuori.bmp"))));

    scanner.failure = s("nessuno scanner collegato");
    dialogs.clear();
    scan(window, s("lettera.bmp"));
    EXPECT_EQ(dialogs.texts().last(),
              s("ERRORE : La scansione non è riuscita: nessuno scanner collegato. Il documento non è stato allegato."));
    EXPECT_TRUE(note()->toPlainText().isEmpty());
}

TEST_F(ScanTest, AnExistingAttachmentIsReplacedOnlyWhenConfirmed)
{
    openDefault();
    QDir(folder.path()).mkpath(s("Prot"));
    ASSERT_TRUE(writeFileBytes(attachment("abc.bmp"), "other protocol"));
    QWidget* window = openScanner();
    ASSERT_NE(window, nullptr);
    dialogs.answerNo();
    scan(window, s("abc.bmp"));
    EXPECT_EQ(dialogs.texts().last(), s("Il file abc.bmp esiste già nella cartella Prot: vuoi sostituirlo ?"));
    EXPECT_EQ(readFileBytes(attachment("abc.bmp")), QByteArray("other protocol"));
    EXPECT_TRUE(note()->toPlainText().isEmpty());
    dialogs.answerYes();
    scan(window, s("abc.bmp"));
    EXPECT_TRUE(readFileBytes(attachment("abc.bmp")).startsWith("BM"));
    EXPECT_EQ(note()->toPlainText(), s("\nAllegato:-abc.bmp"));
}

TEST_F(ScanTest, TheViewerOpensTheChosenAttachment)
{
    openDefault();
    trigger("MenuClienti");
    QTest::mouseClick(child<QPushButton>(*form, "Command51"), Qt::LeftButton);
    QWidget* viewer = topLevel("Form3");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), s("Visualizza Allegati "));
    dialogs.answerFile(attachment("abc.bmp"));
    QTest::mouseClick(child<QPushButton>(*viewer, "Command1"), Qt::LeftButton);
    EXPECT_EQ(dialogs.boxes().back(), (RecordedBox{Kind::OpenFile, s("Seleziona il file da caricare"), QString(), MessageIcon::None}));
    EXPECT_EQ(desktop.documents, QStringList{attachment("abc.bmp")});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(topLevel("Form3"), nullptr) << "unloaded after one choice";

    QTest::mouseClick(child<QPushButton>(*form, "Command51"), Qt::LeftButton);
    dialogs.answerFile(QString());
    QTest::mouseClick(child<QPushButton>(*topLevel("Form3"), "Command1"), Qt::LeftButton);
    EXPECT_EQ(desktop.documents.size(), 1) << "a cancelled choice opens nothing";
}

// SANE's test backend: two virtual scanners, a real acquisition.
class SaneTestBackend : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid());
        ASSERT_TRUE(writeFileBytes(config.filePath(s("dll.conf")), "test\n"));
        QByteArray testConf = readFileBytes(s("/etc/sane.d/test.conf"));
        if (testConf.isEmpty())
            testConf = "number_of_devices 2\nmode Gray\ndepth 8\nresolution 50.0\ntest-picture \"Solid black\"\n";
        ASSERT_TRUE(writeFileBytes(config.filePath(s("test.conf")), testConf));
        qputenv("SANE_CONFIG_DIR", QFile::encodeName(config.path()));
    }
    void TearDown() override { qunsetenv("SANE_CONFIG_DIR"); }
    TempDir config;
    TempDir output;
};

TEST_F(SaneTestBackend, FindsTheTestScannersAndScansABitmap)
{
    const QStringList devices = scan::SaneScanner::deviceNames();
    ASSERT_FALSE(devices.isEmpty()) << "SANE's test backend is missing";
    EXPECT_TRUE(devices.contains(s("test:0")));
    scan::SaneScanner scanner;
    scanner.setSource(s("test:0"));
    const QString path = output.filePath(s("pagina.bmp"));
    EXPECT_EQ(scanner.acquireToFile(nullptr, path), QString());
    const QImage image(path, "BMP");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 10);
    EXPECT_GT(image.height(), 10);
    EXPECT_TRUE(readFileBytes(path).startsWith("BM"));

    EXPECT_FALSE(scanner.acquireToFile(nullptr, output.filePath(s("manca/pagina.bmp"))).isEmpty())
        << "a file that cannot be written is said";
}
