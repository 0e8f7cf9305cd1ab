#include "scan/ScanWindows.h"

#include "desktop/Controls.h"
#include "store/Layout.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
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

} // namespace

QString attachmentLine(const QString& fileName)
{
    return QStringLiteral("Allegato:-") + fileName;
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
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveDVDIcon).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);
    auto* select = makeButton("Command2", QStringLiteral("Seleziona  Scanner"));
    auto* scan = makeButton("Command1", QStringLiteral("&Scanner"));
    m_fileName = makeLineEdit("Text1");
    m_fileName->setReadOnly(true);
    m_fileName->setAccessibleName(QStringLiteral("Nome del file"));
    layout->addWidget(picture);
    layout->addWidget(select);
    layout->addWidget(scan);
    layout->addWidget(m_fileName);
    connect(select, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(scan, &QPushButton::clicked, this, &Form5::Command1_Click);
    resize(300, 200);
}

void Form5::open()
{
    m_fileName->clear();
    show();
    raise();
    activateWindow();
}

void Form5::Command2_Click()
{
    if (!m_scanner.selectSource(this))
        m_context.dialogs.message(this, kScannerTitle, QStringLiteral("Nessuno scanner selezionato."), MessageIcon::Information);
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
    const QString problem = m_scanner.acquireToFile(this, path);
    if (!problem.isEmpty()) {
        dialogs.message(this, kScannerTitle,
                        QStringLiteral("ERRORE : La scansione non è riuscita: ") + problem
                            + QStringLiteral(". Il documento non è stato allegato."),
                        MessageIcon::Information);
        return;
    }
    m_appendToNote(attachmentLine(m_fileName->text()));
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
    const QString chosen = m_context.dialogs.openFileName(this, QStringLiteral("Seleziona il file da caricare"), folder,
                                                          QStringLiteral("Bitmaps(*.bmp)"));
    if (!chosen.isEmpty())
        m_context.desktop.openDocument(chosen);
    close();
}

} // namespace quadrilo::scan
