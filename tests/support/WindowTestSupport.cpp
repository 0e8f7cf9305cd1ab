#include "support/WindowTestSupport.h"

#include "store/Layout.h"
#include "xls/Reader.h"

#include <QImage>
#include <QPdfWriter>
#include <QProcess>

#include <gtest/gtest.h>

namespace quadrilo::testsupport {

void ScriptedDialogs::message(QWidget*, const QString& title, const QString& text, MessageIcon icon)
{
    m_boxes.push_back({RecordedBox::Kind::Message, title, text, icon});
    if (onMessage)
        onMessage(m_boxes.back());
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString& title, const QString& text, MessageIcon icon)
{
    m_boxes.push_back({RecordedBox::Kind::YesNo, title, text, icon});
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::inputBox(QWidget*, const QString& title, const QString& prompt, const QString&)
{
    m_boxes.push_back({RecordedBox::Kind::Input, title, prompt, MessageIcon::None});
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return std::nullopt;
    }
    const bool given = m_inputs.front().has_value();
    const QString text = m_inputs.front().value_or(QString());
    m_inputs.pop_front();
    if (!given)
        return std::nullopt;
    return text;
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& title, const QString&, const QString&)
{
    m_boxes.push_back({RecordedBox::Kind::OpenFile, title, QString(), MessageIcon::None});
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << title.toStdString();
        return {};
    }
    QString answer = m_files.front();
    m_files.pop_front();
    return answer;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList list;
    for (const RecordedBox& box : m_boxes)
        list << box.text;
    return list;
}

PrintJob PdfPrinters::print(const QString& printer, const QString& jobName, const DrawPages& draw)
{
    PrintJob job;
    if (!names.contains(printer) || !refusal.isEmpty()) {
        job.problem = refusal.isEmpty() ? QStringLiteral("la stampante %1 non è installata").arg(printer) : refusal;
        return job;
    }
    const QString path = m_folder.filePath(QStringLiteral("job%1.pdf").arg(jobs.size() + 1));
    {
        QPdfWriter writer(path);
        writer.setResolution(300);
        if (!draw(writer)) {
            job.outcome = PrintJob::Outcome::Cancelled;
            return job;
        }
    }
    jobs.push_back({printer, jobName, path});
    job.outcome = PrintJob::Outcome::Sent;
    return job;
}

ScannedPage FakeScanner::scan(const QString& device, const ScanSettings& settings, const ScanProgress& progress)
{
    asked.push_back(settings);
    used << device;
    ScannedPage page;
    if (!failure.isEmpty()) {
        page.problem = failure;
        return page;
    }
    if (progress && !progress(1.0)) {
        page.cancelled = true;
        return page;
    }
    page.image = QImage(40, 30, QImage::Format_Grayscale8);
    page.image.fill(200);
    page.dpi = settings.dpi;
    page.image.setDotsPerMeterX(qRound(settings.dpi / 0.0254));
    page.image.setDotsPerMeterY(qRound(settings.dpi / 0.0254));
    return page;
}

store::Workbook makeArchive()
{
    return store::layout::createArchive(QStringLiteral("mario"), QStringLiteral("segreta"));
}

void writeArchive(const store::Workbook& workbook, const QString& path)
{
    store::SessionOptions options;
    options.password = store::layout::kWorkbookPassword;
    auto written = store::saveWorkbookFile(workbook.data(), path, options);
    ASSERT_TRUE(written) << "cannot write " << path.toStdString();
}

store::Workbook readArchive(const QString& path)
{
    xls::ReadOptions options;
    options.password = store::layout::kWorkbookPassword;
    auto read = xls::readWorkbookFile(path, options);
    EXPECT_TRUE(read) << "cannot read " << path.toStdString();
    if (!read)
        return store::Workbook();
    return store::Workbook(std::move(read->workbook));
}

std::unique_ptr<store::WorkbookSession> openArchive(const QString& path)
{
    store::SessionOptions options;
    options.password = store::layout::kWorkbookPassword;
    auto opened = store::WorkbookSession::open(path, options);
    EXPECT_TRUE(opened) << "cannot open " << path.toStdString();
    if (!opened)
        return nullptr;
    return std::move(*opened);
}

QLabel* captionOf(const QWidget& root, const QWidget* field)
{
    for (QLabel* label : root.findChildren<QLabel*>())
        if (label->buddy() == field)
            return label;
    return nullptr;
}

QRect rectIn(const QWidget& ancestor, const QWidget& widget)
{
    return QRect(widget.mapTo(&ancestor, QPoint(0, 0)), widget.size());
}

} // namespace quadrilo::testsupport
