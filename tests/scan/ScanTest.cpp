// Scanning documents into the attachment folder and viewing them: the windows
// with a scripted scanner, and SANE's test backend for real acquisitions.

#include "scan/SaneScanner.h"
#include "scan/ScanWindows.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QProgressDialog>
#include <QTimer>
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
    ASSERT_EQ(scanner.asked.size(), 1u);
    EXPECT_EQ(scanner.asked[0].dpi, 200) << "letters: 200 dpi in grey, A4";
    EXPECT_EQ(scanner.asked[0].mode, ColourMode::Grey);
    EXPECT_EQ(scanner.asked[0].areaMillimetres, QSizeF(210, 297));
    const QImage written(attachment("abc.bmp"), "BMP");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(qRound(written.dotsPerMeterX() * 0.0254), 200) << "the file says the scan's resolution";
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
    EXPECT_TRUE(scanner.asked.empty());
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

TEST_F(ScanTest, APdfGathersPagesWithTheChosenSettingsAndAFileIsAttachedUnderASafeName)
{
    openDefault();
    QWidget* window = openScanner();
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(child<QPushButton>(*window, "Command2"), Qt::LeftButton);
    auto* device = child<QComboBox>(*window, "scannerDevice");
    EXPECT_EQ(device->currentText(), s("Noname frontend-tester (dispositivo virtuale)"));
    auto* resolution = child<QComboBox>(*window, "resolution");
    resolution->setCurrentIndex(resolution->findData(300));
    auto* colours = child<QComboBox>(*window, "colours");
    colours->setCurrentIndex(colours->findData(static_cast<int>(ColourMode::Colour)));
    dialogs.answerYes();   // a second page
    dialogs.answerNo();    // no third
    scan(window, s("lettera.pdf"));
    ASSERT_EQ(scanner.asked.size(), 2u);
    EXPECT_EQ(scanner.used, (QStringList{s("test:0"), s("test:0")}));
    EXPECT_EQ(scanner.asked[1].dpi, 300);
    EXPECT_EQ(scanner.asked[1].mode, ColourMode::Colour);
    EXPECT_TRUE(readFileBytes(attachment("lettera.pdf")).startsWith("%PDF"));
    EXPECT_EQ(pdfText(attachment("lettera.pdf")).count(QLatin1Char('\f')), 2) << "two pages";
    EXPECT_EQ(note()->toPlainText(), s("\nAllegato:-lettera.pdf"));

    // A file of the computer: copied into Prot, its name made safe and new.
    TempDir mail;
    const QString received = mail.filePath(s("Fattura n.12: marzo.pdf"));
    ASSERT_TRUE(writeFileBytes(received, "%PDF-1.4 fattura"));
    ASSERT_TRUE(writeFileBytes(attachment("Fattura n.12_ marzo.pdf"), "already here"));
    dialogs.answerFile(received);
    QTest::mouseClick(child<QPushButton>(*form, "Command52"), Qt::LeftButton);
    EXPECT_EQ(readFileBytes(attachment("Fattura n.12_ marzo (2).pdf")), QByteArray("%PDF-1.4 fattura"));
    EXPECT_EQ(readFileBytes(attachment("Fattura n.12_ marzo.pdf")), QByteArray("already here"));
    EXPECT_TRUE(note()->toPlainText().endsWith(s("\nAllegato:-Fattura n.12_ marzo (2).pdf")));
    EXPECT_TRUE(QFileInfo::exists(received)) << "copied, never moved";
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

TEST_F(SaneTestBackend, FindsTheTestScannersAndScansWithTheChosenResolution)
{
    scan::SaneScanner scanner;
    const QList<ScannerDevice> devices = scanner.findScanners();
    ASSERT_FALSE(devices.isEmpty()) << "SANE's test backend is missing";
    EXPECT_EQ(devices.front().name, s("test:0"));
    // Two test scanners of one model: told apart by their names.
    EXPECT_EQ(devices.front().label, s("Noname frontend-tester (dispositivo virtuale) - test:0"));

    ScanSettings settings;
    settings.dpi = 150;
    settings.areaMillimetres = QSizeF(100, 50);
    double told = 0;
    const ScannedPage page = scanner.scan(s("test:0"), settings, [&](double done) {
        told = done;
        return true;
    });
    ASSERT_TRUE(page.problem.isEmpty()) << page.problem.toStdString();
    EXPECT_EQ(page.dpi, 150);
    EXPECT_NEAR(page.image.width(), 100 / 25.4 * 150, 3);
    EXPECT_NEAR(page.image.height(), 50 / 25.4 * 150, 3);
    EXPECT_DOUBLE_EQ(told, 1.0);
    const QString path = output.filePath(s("pagina.bmp"));
    ASSERT_TRUE(page.image.save(path, "BMP"));
    EXPECT_EQ(qRound(QImage(path, "BMP").dotsPerMeterX() * 0.0254), 150) << "the header carries the resolution";

    const ScannedPage stopped = scanner.scan(QString(), settings, [](double) { return false; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.image.isNull());

    // Black and white from a scanner that only gives grey; an area larger than its glass is told.
    settings.mode = ColourMode::BlackAndWhite;
    settings.areaMillimetres = QSizeF(210, 297);
    settings.dpi = 50;
    const ScannedPage mono = scanner.scan(s("test:0"), settings, {});
    EXPECT_EQ(mono.image.format(), QImage::Format_Mono);
    EXPECT_TRUE(mono.notice.startsWith(s("Il piano dello scanner è più piccolo dell'area scelta"))) << mono.notice.toStdString();
    EXPECT_FALSE(scanner.scan(s("test:9"), settings, {}).problem.isEmpty()) << "a scanner that is not there is said";
}

class SaneWindowTest : public ScanTest {
protected:
    // Not in TearDown: the window fixture calls that when it reopens.
    void SetUp() override
    {
        backend.SetUp();
        // A slow scanner: 16 KB a read, a read every 2 ms.
        QFile conf(backend.configFile(s("test.conf")));
        ASSERT_TRUE(conf.open(QIODevice::Append));
        conf.write("read-limit true\nread-limit-size 16384\nread-delay true\nread-delay-duration 2000\n");
    }
    ~SaneWindowTest() override { backend.TearDown(); }
    struct Backend : SaneTestBackend {
        void TestBody() override {}
        using SaneTestBackend::SetUp;
        using SaneTestBackend::TearDown;
        QString configFile(const QString& name) const { return config.filePath(name); }
    } backend;
};

TEST_F(SaneWindowTest, TheWindowsKeepDrawingDuringAScanThatAnnullaStops)
{
    openDefault();
    scan::SaneScanner sane;
    PanelContext context{*session, dialogs, desktop, clock, printers, folder.path(), loggedInUser, [] {}, [] { return true; }, {}};
    QStringList lines;
    scan::Form5 window(context, sane, [&](const QString& line) { lines << line; });
    window.open();
    child<QComboBox>(window, "resolution")->setCurrentIndex(child<QComboBox>(window, "resolution")->findData(600));
    child<QComboBox>(window, "colours")->setCurrentIndex(2);
    child<QComboBox>(window, "area")->setCurrentIndex(3);   // the whole glass: seconds of work

    int ticks = 0;
    QTimer clockTick;
    QObject::connect(&clockTick, &QTimer::timeout, [&] { ++ticks; });
    clockTick.start(20);
    bool sawProgress = false;
    QTimer::singleShot(400, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(widget); progress && progress->isVisible()) {
                sawProgress = true;
                for (auto* button : progress->findChildren<QPushButton*>())
                    if (button->text() == s("Annulla"))
                        QTest::mouseClick(button, Qt::LeftButton);
            }
    });
    dialogs.answerInput(s("grande.bmp"));
    QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
    EXPECT_TRUE(sawProgress);
    EXPECT_GE(ticks, 10) << "the event loop ran during the scan";
    EXPECT_EQ(dialogs.texts().last(), s("Scansione annullata: il documento non è stato allegato."));
    EXPECT_FALSE(QFileInfo::exists(attachment("grande.bmp")));
    EXPECT_TRUE(lines.isEmpty());
}
