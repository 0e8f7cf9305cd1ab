#include "scan/ScanWindows.h"

#include "desktop/Controls.h"
#include "scan/Background.h"
#include "store/Layout.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace quadrilo::scan {

namespace {

const QString kScannerTitle = QStringLiteral("Scanner");

// A bare file name: no folder, nothing that leads out of the attachment folder.
bool isPlainFileName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

bool isPdfName(const QString& name) { return name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

QComboBox* makeChoice(const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    return combo;
}

} // namespace

QString attachmentLine(const QString& fileName)
{
    return QStringLiteral("Allegato:-") + fileName;
}

bool writePdf(const QString& path, const std::vector<ScannedPage>& pages)
{
    if (pages.empty())
        return false;
    QPdfWriter pdf(path);
    pdf.setCreator(QStringLiteral("Quadrilo"));
    pdf.setTitle(QFileInfo(path).completeBaseName());
    pdf.setResolution(pages.front().dpi > 0 ? pages.front().dpi : 200);
    QPainter painter;
    for (size_t i = 0; i < pages.size(); ++i) {
        const ScannedPage& page = pages[i];
        const double dpi = page.dpi > 0 ? page.dpi : 200;
        const QSizeF millimetres(page.image.width() * 25.4 / dpi, page.image.height() * 25.4 / dpi);
        pdf.setPageSize(QPageSize(millimetres, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (i == 0) {
            if (!painter.begin(&pdf))
                return false;
        } else if (!pdf.newPage()) {
            return false;
        }
        painter.drawImage(QRectF(0, 0, pdf.width(), pdf.height()), page.image);
    }
    return painter.end();
}

Form5::Form5(PanelContext& context, Scanner& scanner, std::function<void(const QString&)> appendToNote, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
    , m_scanner(scanner)
    , m_appendToNote(std::move(appendToNote))
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(kScannerTitle);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel;
    picture->setPixmap(QIcon::fromTheme(QStringLiteral("scanner"), style()->standardIcon(QStyle::SP_FileIcon)).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);
    auto* select = makeButton("Command2", QStringLiteral("Seleziona  Scanner"));
    auto* scan = makeButton("Command1", QStringLiteral("&Scanner"));
    m_fileName = makeLineEdit("Text1");
    m_fileName->setReadOnly(true);
    m_fileName->setAccessibleName(QStringLiteral("Nome del file"));

    m_device = makeChoice("scannerDevice");
    m_device->addItem(QStringLiteral("Il primo scanner trovato"), QString());
    m_resolution = makeChoice("resolution");
    for (int dpi : {100, 150, 200, 300, 400, 600})
        m_resolution->addItem(QStringLiteral("%1 punti per pollice").arg(dpi), dpi);
    m_resolution->setCurrentIndex(m_resolution->findData(200));
    m_colours = makeChoice("colours");
    m_colours->addItem(QStringLiteral("Bianco e nero"), static_cast<int>(ColourMode::BlackAndWhite));
    m_colours->addItem(QStringLiteral("Toni di grigio"), static_cast<int>(ColourMode::Grey));
    m_colours->addItem(QStringLiteral("Colori"), static_cast<int>(ColourMode::Colour));
    m_colours->setCurrentIndex(1);
    m_area = makeChoice("area");
    m_area->addItem(QStringLiteral("A4 (210 x 297 mm)"), QSizeF(210, 297));
    m_area->addItem(QStringLiteral("A5 (148 x 210 mm)"), QSizeF(148, 210));
    m_area->addItem(QStringLiteral("Lettera USA (216 x 279 mm)"), QSizeF(215.9, 279.4));
    m_area->addItem(QStringLiteral("Tutto il piano dello scanner"), QSizeF());

    auto* grid = new QGridLayout;
    addCaptionedField(grid, 0, 0, QStringLiteral("Scanner"), m_device);
    grid->addWidget(select, 1, 1);
    addCaptionedField(grid, 2, 0, QStringLiteral("Risoluzione"), m_resolution);
    addCaptionedField(grid, 2, 1, QStringLiteral("Colori"), m_colours);
    addCaptionedField(grid, 4, 0, QStringLiteral("Area"), m_area);
    layout->addWidget(picture);
    layout->addLayout(grid);
    layout->addWidget(scan);
    layout->addWidget(m_fileName);
    layout->addWidget(new QLabel(QStringLiteral("Un nome che finisce in .pdf raccoglie più pagine in un solo file.")));
    connect(select, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(scan, &QPushButton::clicked, this, &Form5::Command1_Click);
}

void Form5::open()
{
    m_fileName->clear();
    show();
    raise();
    activateWindow();
}

ScanSettings Form5::settings() const
{
    ScanSettings chosen;
    chosen.dpi = m_resolution->currentData().toInt();
    chosen.mode = static_cast<ColourMode>(m_colours->currentData().toInt());
    chosen.areaMillimetres = m_area->currentData().toSizeF();
    return chosen;
}

void Form5::Command2_Click()
{
    const QList<ScannerDevice> found = runInBackground<QList<ScannerDevice>>(
        this, QStringLiteral("Ricerca degli scanner collegati..."), [this](const ScanProgress&) { return m_scanner.findScanners(); },
        false);
    const QString chosen = m_device->currentData().toString();
    while (m_device->count() > 1)
        m_device->removeItem(1);
    for (const ScannerDevice& device : found)
        m_device->addItem(device.label, device.name);
    if (found.isEmpty()) {
        m_context.dialogs.message(this, kScannerTitle,
                                  QStringLiteral("Nessuno scanner trovato: controllare che sia acceso e collegato a questo computer."),
                                  MessageIcon::Information);
        return;
    }
    const int keep = m_device->findData(chosen);
    m_device->setCurrentIndex(keep > 0 ? keep : 1);
}

ScannedPage Form5::scanPage(int number)
{
    const QString device = m_device->currentData().toString();
    const ScanSettings chosen = settings();
    return runInBackground<ScannedPage>(this, QStringLiteral("Scansione della pagina %1 in corso...").arg(number),
                                        [&](const ScanProgress& progress) { return m_scanner.scan(device, chosen, progress); });
}

void Form5::Command1_Click()
{
    Dialogs& dialogs = m_context.dialogs;
    const QString name = dialogs
                             .inputBox(this, kScannerTitle,
                                       QStringLiteral("Digita il nome del documento, l'estensione del file è : TuoNomeFile.bmp"),
                                       QStringLiteral(".bmp"))
                             .value_or(QString());
    if (name.isEmpty() || name.size() == 4) {
        dialogs.message(this, QString(), QStringLiteral("Non Hai Inserito il nome del File "), MessageIcon::None);
        return;
    }
    if (name.size() < 4)
        return;
    if (!isPlainFileName(name)) {
        dialogs.message(this, kScannerTitle,
                        QStringLiteral("ERRORE : Il nome del file non può contenere cartelle ( / o \\ ) !"), MessageIcon::Information);
        return;
    }
    dialogs.message(this, QString(), QStringLiteral("Hai  immesso: '") + name, MessageIcon::None);
    m_fileName->setText(name);
    const QString path = QDir(m_context.programFolder).filePath(store::layout::kAttachmentFolder + QLatin1Char('/') + name);
    // Another protocol's document may have this name: it is not lost unasked.
    if (QFileInfo::exists(path)
        && !dialogs.askYesNo(this, kScannerTitle,
                             QStringLiteral("Il file %1 esiste già nella cartella Prot: vuoi sostituirlo ?").arg(name))) {
        return;
    }
    QDir(m_context.programFolder).mkpath(store::layout::kAttachmentFolder);

    // A PDF gathers as many pages as the user scans; any other name is one bitmap.
    std::vector<ScannedPage> pages;
    for (;;) {
        ScannedPage page = scanPage(static_cast<int>(pages.size()) + 1);
        if (page.cancelled) {
            dialogs.message(this, kScannerTitle, QStringLiteral("Scansione annullata: il documento non è stato allegato."),
                            MessageIcon::Information);
            return;
        }
        if (page.image.isNull()) {
            dialogs.message(this, kScannerTitle,
                            QStringLiteral("ERRORE : La scansione non è riuscita: ")
                                + (page.problem.isEmpty() ? QStringLiteral("lo scanner non ha dato un'immagine") : page.problem)
                                + QStringLiteral(". Il documento non è stato allegato."),
                            MessageIcon::Information);
            return;
        }
        pages.push_back(std::move(page));
        if (!isPdfName(name)
            || !dialogs.askYesNo(this, kScannerTitle,
                                 QStringLiteral("Pagina %1 acquisita. Acquisire un'altra pagina ?").arg(pages.size())))
            break;
    }
    const bool written = isPdfName(name) ? writePdf(path, pages) : pages.front().image.save(path, "BMP");
    if (!written) {
        dialogs.message(this, kScannerTitle,
                        QStringLiteral("ERRORE : Il file %1 non si può scrivere nella cartella Prot. Il documento non è stato allegato.")
                            .arg(name),
                        MessageIcon::Information);
        return;
    }
    m_appendToNote(attachmentLine(m_fileName->text()));
    QStringList notices;
    for (const ScannedPage& page : pages)
        if (!page.notice.isEmpty() && !notices.contains(page.notice))
            notices << page.notice;
    if (!notices.isEmpty())
        dialogs.message(this, kScannerTitle, notices.join(QLatin1Char('\n')), MessageIcon::Information);
}

Form3::Form3(PanelContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Visualizza Allegati "));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* choose = makeButton("Command1", QStringLiteral("&Seleziona Allegato Pratica"));
    layout->addWidget(choose);
    connect(choose, &QPushButton::clicked, this, &Form3::Command1_Click);
    resize(320, 90);
}

void Form3::Command1_Click()
{
    const QString folder = QDir(m_context.programFolder).filePath(store::layout::kAttachmentFolder);
    const QString chosen = m_context.dialogs.openFileName(
        this, QStringLiteral("Seleziona il file da caricare"), folder,
        QStringLiteral("Tutti gli allegati (*);;Bitmaps(*.bmp);;Documenti PDF (*.pdf)"));
    if (!chosen.isEmpty() && !m_context.desktop.openDocument(chosen))
        m_context.dialogs.message(this, kScannerTitle,
                                  QStringLiteral("Il file %1 non si può aprire: su questo computer manca un programma per questo tipo di file.")
                                      .arg(QDir::toNativeSeparators(chosen)),
                                  MessageIcon::Information);
    close();
}

} // namespace quadrilo::scan
