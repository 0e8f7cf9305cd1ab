#include "printing/DailyRegister.h"

#include "store/Sheet.h"
#include "store/TypedInput.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <algorithm>

namespace quadrilo::printing {

namespace layout = store::layout;

namespace {

const QString kDayFormat = QStringLiteral("dd/MM/yyyy");

std::vector<DailyRecord> recordsOf(store::Workbook& workbook, layout::RegisterKind kind, QDate day)
{
    struct Found {
        double number;
        int row;
        DailyRecord record;
    };
    std::vector<Found> found;
    auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet)
        return {};
    const int last = sheet->lastUsedRow();
    for (int row = 2; row <= last; ++row) {
        if (sheet->isEmpty(row, layout::reg::kNumber))
            continue;
        const store::CellValue date = sheet->value(row, layout::reg::kDate);
        if (!date.isDate() || date.date() != day)
            continue;
        const store::CellValue number = sheet->value(row, layout::reg::kNumber);
        Found entry{number.isNumber() ? number.number() : store::leadingNumber(sheet->text(row, layout::reg::kNumber)), row, {}};
        for (int column = 0; column < layout::reg::kHeaderCount; ++column)
            entry.record.texts[static_cast<size_t>(column)] = sheet->text(row, column + 1);
        found.push_back(std::move(entry));
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.number < b.number; });
    std::vector<DailyRecord> records;
    for (Found& entry : found)
        records.push_back(std::move(entry.record));
    return records;
}

QString escaped(QString text)
{
    return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

// The heading line of a register: how many, from which number to which.
QString summary(const QString& name, const std::vector<DailyRecord>& records)
{
    if (records.empty())
        return QStringLiteral("%1: nessun protocollo").arg(name);
    return QStringLiteral("%1: %2 protocoll%3, dal n. %4 al n. %5")
        .arg(name)
        .arg(records.size())
        .arg(records.size() == 1 ? QStringLiteral("o") : QStringLiteral("i"))
        .arg(records.front().texts[0], records.back().texts[0]);
}

QString htmlTable(const QString& name, const std::vector<DailyRecord>& records, layout::RegisterKind kind)
{
    if (records.empty())
        return {};
    QString html = QStringLiteral("<h3>Registro in %1</h3>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\"><thead><tr>")
                       .arg(name);
    // Shares of the page's width, A to K: room for the long texts, and for
    // every header word whole.
    static const int widths[] = {6, 8, 10, 10, 8, 16, 16, 10, 6, 5, 7};
    const QStringList headers = layout::registerHeaders(kind);
    for (int i = 0; i < headers.size(); ++i)
        html += QStringLiteral("<th width=\"%1%\">%2</th>").arg(widths[i]).arg(headers[i].toHtmlEscaped());
    html += QStringLiteral("</tr></thead>");
    for (const DailyRecord& record : records) {
        html += QStringLiteral("<tr>");
        for (const QString& text : record.texts)
            html += QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br/>")));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace

DailyRegister collectDailyRegister(store::Workbook& workbook, QDate day)
{
    DailyRegister daily;
    daily.day = day;
    if (const auto varie = workbook.sheet(layout::kVarie))
        daily.owner = varie->text(layout::kOwnerName.row, layout::kOwnerName.column);
    daily.entrata = recordsOf(workbook, layout::RegisterKind::Entrata, day);
    daily.uscita = recordsOf(workbook, layout::RegisterKind::Uscita, day);
    daily.fingerprint = QString::fromLatin1(
        QCryptographicHash::hash(canonicalText(daily).toUtf8(), QCryptographicHash::Sha256).toHex());
    return daily;
}

QString canonicalText(const DailyRegister& daily)
{
    QString text = QStringLiteral("Registro giornaliero\t") + daily.day.toString(Qt::ISODate) + QLatin1Char('\n');
    for (const auto& [name, records] : {std::pair{QStringLiteral("Entrata"), &daily.entrata}, std::pair{QStringLiteral("Uscita"), &daily.uscita}}) {
        text += name + QLatin1Char('\n');
        for (const DailyRecord& record : *records) {
            QStringList fields;
            for (const QString& field : record.texts)
                fields << escaped(field);
            text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
    }
    return text;
}

QString dailyRegisterFileName(QDate day)
{
    return QStringLiteral("Registro-giornaliero-") + day.toString(Qt::ISODate) + QStringLiteral(".pdf");
}

QString writeDailyRegister(const DailyRegister& daily, const QString& path)
{
    const QString dayText = daily.day.toString(kDayFormat);
    QString html = QStringLiteral("<h2>Registro giornaliero di protocollo</h2><p><b>%1</b><br/>Giorno: <b>%2</b></p><p>%3<br/>%4</p>")
                       .arg(daily.owner.toHtmlEscaped(), dayText, summary(QStringLiteral("Entrata"), daily.entrata).toHtmlEscaped(),
                            summary(QStringLiteral("Uscita"), daily.uscita).toHtmlEscaped());
    if (daily.entrata.empty() && daily.uscita.empty())
        html += QStringLiteral("<p><b>Nessun protocollo è stato registrato in questo giorno.</b></p>");
    html += htmlTable(QStringLiteral("Entrata"), daily.entrata, layout::RegisterKind::Entrata);
    html += htmlTable(QStringLiteral("Uscita"), daily.uscita, layout::RegisterKind::Uscita);
    html += QStringLiteral("<p>Impronta SHA-256 dei protocolli elencati:<br/><tt>%1</tt></p>"
                           "<p><small>L'impronta è calcolata sul testo dei protocolli elencati, registro per registro e in "
                           "ordine di numero, come Quadrilo li mostra; gli stessi protocolli danno sempre la stessa impronta.</small></p>")
                .arg(daily.fingerprint);

    QSaveFile file(path);   // whole or not at all
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("il file %1 non si può scrivere").arg(path);
    {
        QPdfWriter pdf(&file);
        pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        pdf.setTitle(QStringLiteral("Registro giornaliero di protocollo del %1").arg(dayText));
        pdf.setCreator(QStringLiteral("Quadrilo"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        document.setHtml(html);
        document.print(&pdf);
    }
    if (!file.commit())
        return QStringLiteral("il file %1 non si può scrivere").arg(path);
    QSaveFile sum(path + QStringLiteral(".sha256"));
    if (!sum.open(QIODevice::WriteOnly) || sum.write(daily.fingerprint.toLatin1() + '\n') < 0 || !sum.commit())
        return QStringLiteral("il file %1 non si può scrivere").arg(path + QStringLiteral(".sha256"));
    return {};
}

} // namespace quadrilo::printing
