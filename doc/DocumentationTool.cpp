// Makes what the documentation shows, from the program itself: the icon at
// the sizes of the icon theme, the screenshots of the windows on a sample
// archive, and the guide Guida.pdf from guida.md with those screenshots.
//
//   quadrilo-documentazione GUIDA.md OUTDIR
//
// Runs on the offscreen platform: no display is needed.

#include "desktop/NullDevices.h"
#include "app/FirstStart.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "app/Logo.h"
#include "desktop/Desktop.h"
#include "desktop/Dialogs.h"
#include "desktop/Printers.h"
#include "desktop/Scanner.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

using namespace quadrilo;
namespace layout = store::layout;

namespace {

// Every question answered Sì, every input box answered with the next text.
class AnsweringDialogs final : public Dialogs {
public:
    QStringList inputs;
    void message(QWidget*, const QString&, const QString&, MessageIcon) override {}
    bool askYesNo(QWidget*, const QString&, const QString&, MessageIcon) override { return true; }
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&, const QString&) override
    {
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 9), QTime(9, 30, 0)); }
};

// An office's archive after a few days of work.
store::Workbook sampleArchive()
{
    store::Workbook book = layout::createArchive(QStringLiteral("anna"), QStringLiteral("anna"));
    auto varie = book.sheet(layout::kVarie);
    namespace v = layout::varie;
    const char* lists[5][4] = {
        {"Posta ordinaria", "Raccomandata A/R", "PEC", "Consegna a mano"},
        {"Lettera", "Fattura", "Richiesta", "Determina"},
        {"Segreteria", "Ragioneria", "Ufficio tecnico", "Anagrafe"},
        {"Rossi Anna", "Bianchi Marco", "Verdi Laura", "Sindaco"},
        {"Ente pubblico", "Ditta", "Privato", "Professionista"},
    };
    for (int column = 0; column < 5; ++column)
        for (int row = 0; row < 4; ++row)
            varie->setText(row + 2, column + 1, QString::fromUtf8(lists[column][row]));
    varie->setText(layout::kOwnerName.row, layout::kOwnerName.column, QStringLiteral("Comune di Castelnuovo"));
    varie->setText(layout::kOwnerSeat.row, layout::kOwnerSeat.column, QStringLiteral("Piazza Garibaldi 1, Castelnuovo"));
    varie->setText(layout::kUsersPassword.row, layout::kUsersPassword.column, QStringLiteral("area"));
    varie->setText(layout::kHostPassword.row, layout::kHostPassword.column, QStringLiteral("excel"));

    auto entrata = book.sheet(layout::kEntrata);
    namespace r = layout::reg;
    const char* letters[][6] = {
        {"Posta ordinaria", "Lettera", "REGIONE EMILIA-ROMAGNA", "Contributi per la manutenzione delle strade comunali", "Ufficio tecnico", "Verdi Laura"},
        {"PEC", "Fattura", "EDILSTRADE SRL", "Fattura n. 118 lavori di asfaltatura", "Ragioneria", "Bianchi Marco"},
        {"Raccomandata A/R", "Richiesta", "STUDIO LEGALE FERRI", "Richiesta di accesso agli atti", "Segreteria", "Rossi Anna"},
        {"Consegna a mano", "Richiesta", "MARINI GIULIA", "Domanda di residenza", "Anagrafe", "Rossi Anna"},
        {"PEC", "Lettera", "PREFETTURA DI BOLOGNA", "Convocazione conferenza dei servizi", "Segreteria", "Sindaco"},
    };
    for (int i = 0; i < 5; ++i) {
        const int row = i + 2;
        entrata->setNumber(row, r::kNumber, i + 1);
        entrata->setDate(row, r::kDate, QDate(2026, 12, 1 + 2 * i));
        entrata->setText(row, r::kCorrespondenceType, QString::fromUtf8(letters[i][0]));
        entrata->setText(row, r::kDocumentType, QString::fromUtf8(letters[i][1]));
        entrata->setDate(row, r::kDocumentDate, QDate(2026, 11, 27 + i % 3));
        entrata->setText(row, r::kCorrespondent, QString::fromUtf8(letters[i][2]));
        entrata->setText(row, r::kSubject, QString::fromUtf8(letters[i][3]));
        entrata->setText(row, r::kAttachments, QString::number(i % 3));
        entrata->setText(row, r::kSector, QString::fromUtf8(letters[i][4]));
        entrata->setText(row, r::kAssignee, QString::fromUtf8(letters[i][5]));
        entrata->setText(row, r::kMarker, QStringLiteral("E"));
    }
    varie->setNumber(layout::kEntrataCounter.row, layout::kEntrataCounter.column, 5);

    auto cliente = book.sheet(layout::kCliente);
    const char* contacts[][3] = {{"EDILSTRADE SRL", "Ditta", "Bologna"},
                                 {"MARINI GIULIA", "Privato", "Castelnuovo"},
                                 {"PREFETTURA DI BOLOGNA", "Ente pubblico", "Bologna"},
                                 {"REGIONE EMILIA-ROMAGNA", "Ente pubblico", "Bologna"},
                                 {"STUDIO LEGALE FERRI", "Professionista", "Modena"}};
    for (int i = 0; i < 5; ++i) {
        cliente->setNumber(i + 2, layout::contact::kId, i + 1);
        cliente->setText(i + 2, layout::contact::kName, QString::fromUtf8(contacts[i][0]));
        cliente->setText(i + 2, layout::contact::kType, QString::fromUtf8(contacts[i][1]));
        cliente->setText(i + 2, layout::contact::kTown, QString::fromUtf8(contacts[i][2]));
    }
    cliente->setNumber(layout::kContactIdCounter.row, layout::kContactIdCounter.column, 6);
    layout::prepareSheets(book);
    return book;
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "quadrilo-documentazione: cannot write %s\n", qPrintable(path));
    return false;
}

bool shoot(QWidget& window, const QString& path)
{
    QApplication::processEvents();
    return save(window.grab().toImage(), path);
}

void trigger(QWidget& window, const char* action)
{
    if (auto* found = window.findChild<QAction*>(QString::fromLatin1(action)))
        found->trigger();
    QApplication::processEvents();
}

bool takeScreenshots(const QString& out)
{
    QTemporaryDir work;
    const QString workbookPath = QDir(work.path()).filePath(layout::kWorkbookFileName);
    store::SessionOptions options;
    options.password = layout::kWorkbookPassword;
    if (!store::saveWorkbookFile(sampleArchive().data(), workbookPath, options))
        return false;
    QDir(work.path()).mkpath(layout::kAttachmentFolder);

    AnsweringDialogs dialogs;
    NoDesktop desktop;
    FixedClock clock;
    NoPrinters printers;
    NoScanner scanner;

    FirstStart first(dialogs, QDir::home().filePath(QStringLiteral("Documenti/Quadrilo")));
    first.show();
    bool ok = shoot(first, QDir(out).filePath(QStringLiteral("primo-avvio.png")));
    first.hide();

    Form2 login(ProgramSetup{dialogs, desktop, clock, printers, scanner, work.path(), [] {}, {}});
    if (!login.Form_Load())
        return false;
    login.show();
    login.findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("anna"));
    ok = shoot(login, QDir(out).filePath(QStringLiteral("login.png"))) && ok;
    login.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("anna"));
    login.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    Form1* main = login.mainWindow();
    if (!main)
        return false;
    main->showNormal();
    main->resize(1280, 720);
    QApplication::processEvents();

    trigger(*main, "MenuClienti");
    ok = shoot(*main, QDir(out).filePath(QStringLiteral("protocollo.png"))) && ok;
    trigger(*main, "MnContatti");
    ok = shoot(*main, QDir(out).filePath(QStringLiteral("contatti.png"))) && ok;
    trigger(*main, "MnImpostazioni");
    ok = shoot(*main, QDir(out).filePath(QStringLiteral("impostazioni.png"))) && ok;
    trigger(*main, "MnCoopertina");
    ok = shoot(*main, QDir(out).filePath(QStringLiteral("stampe.png"))) && ok;
    dialogs.inputs << QStringLiteral("area");
    trigger(*main, "MnUtente");
    ok = shoot(*main, QDir(out).filePath(QStringLiteral("utenti.png"))) && ok;
    login.session()->close();
    return ok;
}

bool makeIcons(const QString& out)
{
    bool ok = true;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok = save(drawIcon(size), QDir(out).filePath(QStringLiteral("quadrilo-%1.png").arg(size))) && ok;
    return ok;
}

// The guide as an A4 PDF, its images taken from the screenshots.
bool makeGuide(const QString& markdownPath, const QString& out)
{
    QFile source(markdownPath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quadrilo-documentazione: cannot read %s\n", qPrintable(markdownPath));
        return false;
    }
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    const QString markdown = QString::fromUtf8(source.readAll());
    document.setMarkdown(markdown);
    // Images are named by file; each is scaled to the text width.
    QPdfWriter writer(QDir(out).filePath(QStringLiteral("Guida.pdf")));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Quadrilo: guida per l'ufficio"));
    writer.setCreator(QStringLiteral("Quadrilo"));
    writer.setResolution(150);
    // The document is laid out at 96 dots per inch: images are given their
    // width in those units and keep their own pixels for the print.
    const double textWidth = writer.pageLayout().paintRect(QPageLayout::Point).width() * 96.0 / 72.0;
    static const QRegularExpression image(QStringLiteral(R"(!\[[^\]]*\]\(([^)]+\.png)\))"));
    for (auto it = image.globalMatch(markdown); it.hasNext();) {
        const QString name = it.next().captured(1);
        QImage picture(QDir(out).filePath(name));
        if (picture.isNull()) {
            std::fprintf(stderr, "quadrilo-documentazione: the guide shows %s, which was not made\n", qPrintable(name));
            return false;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(name), picture);
    }
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextImageFormat format = fragment.fragment().charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QImage picture = document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            // Windows as wide as the text at most; small ones at their size on screen.
            const double width = std::min(textWidth, picture.width() * 0.75);
            format.setWidth(width);
            format.setHeight(width * picture.height() / std::max(1, picture.width()));
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.fragment().position());
            cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    document.print(&writer);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    if (argc != 3) {
        std::fprintf(stderr, "usage: quadrilo-documentazione GUIDA.md OUTDIR\n");
        return 2;
    }
    const QString markdown = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    const bool ok = makeIcons(out) && takeScreenshots(out) && makeGuide(markdown, out);
    return ok ? 0 : 1;
}
