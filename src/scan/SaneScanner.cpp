#include "scan/SaneScanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quadrilo::scan {

namespace {

// sane_init and sane_exit around each use: scanners plugged in meanwhile are found.
class SaneSession {
public:
    SaneSession() { m_status = sane_init(nullptr, nullptr); }
    ~SaneSession()
    {
        if (m_status == SANE_STATUS_GOOD)
            sane_exit();
    }
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;
    bool ok() const { return m_status == SANE_STATUS_GOOD; }

private:
    SANE_Status m_status;
};

QString statusText(SANE_Status status)
{
    switch (status) {
    case SANE_STATUS_CANCELLED: return QStringLiteral("operazione annullata");
    case SANE_STATUS_DEVICE_BUSY: return QStringLiteral("lo scanner è occupato");
    case SANE_STATUS_JAMMED: return QStringLiteral("il foglio si è inceppato");
    case SANE_STATUS_NO_DOCS: return QStringLiteral("non c'è nessun foglio da acquisire");
    case SANE_STATUS_COVER_OPEN: return QStringLiteral("il coperchio dello scanner è aperto");
    case SANE_STATUS_IO_ERROR: return QStringLiteral("errore di comunicazione con lo scanner");
    case SANE_STATUS_NO_MEM: return QStringLiteral("memoria insufficiente");
    case SANE_STATUS_ACCESS_DENIED: return QStringLiteral("accesso allo scanner negato");
    case SANE_STATUS_INVAL: return QStringLiteral("impostazione non accettata dallo scanner");
    default: return QStringLiteral("errore dello scanner: %1").arg(QString::fromLocal8Bit(sane_strstatus(status)));
    }
}

// SANE's kinds of device, in Italian.
QString kindText(const char* type)
{
    const QByteArray kind = QByteArray(type ? type : "").toLower();
    static const std::pair<const char*, const char*> kinds[] = {
        {"flatbed scanner", "scanner piano"},        {"sheetfed scanner", "scanner con alimentatore"},
        {"film scanner", "scanner per pellicole"},    {"handheld scanner", "scanner manuale"},
        {"multi-function peripheral", "multifunzione"}, {"virtual device", "dispositivo virtuale"},
        {"video camera", "videocamera"},              {"still camera", "fotocamera"},
    };
    for (const auto& [english, italian] : kinds)
        if (kind == english)
            return QString::fromUtf8(italian);
    return QString::fromLocal8Bit(type ? type : "");
}

QList<ScannerDevice> listDevices()
{
    QList<ScannerDevice> found;
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices)
        return found;
    for (int i = 0; devices[i]; ++i) {
        const SANE_Device& device = *devices[i];
        QString label = (QString::fromLocal8Bit(device.vendor) + QLatin1Char(' ') + QString::fromLocal8Bit(device.model)).simplified();
        if (const QString kind = kindText(device.type); !kind.isEmpty())
            label += QStringLiteral(" (%1)").arg(kind);
        found.push_back({QString::fromLocal8Bit(device.name), label});
    }
    // Two scanners of the same model are told apart by their names.
    for (ScannerDevice& device : found)
        if (std::count_if(found.begin(), found.end(), [&](const ScannerDevice& other) { return other.label == device.label; }) > 1)
            device.label += QStringLiteral(" - ") + device.name;
    return found;
}

int findOption(SANE_Handle handle, const char* name)
{
    SANE_Int count = 0;
    if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return -1;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, i);
        if (option && option->name && qstrcmp(option->name, name) == 0 && SANE_OPTION_IS_ACTIVE(option->cap)
            && SANE_OPTION_IS_SETTABLE(option->cap))
            return i;
    }
    return -1;
}

// A number option set to the allowed value nearest to wanted (in the option's unit).
void setNumber(SANE_Handle handle, const char* name, double wanted)
{
    const int index = findOption(handle, name);
    if (index < 0)
        return;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, index);
    const bool fixed = option->type == SANE_TYPE_FIXED;
    if (!fixed && option->type != SANE_TYPE_INT)
        return;
    const auto toDouble = [&](SANE_Word word) { return fixed ? SANE_UNFIX(word) : static_cast<double>(word); };
    double value = wanted;
    if (option->constraint_type == SANE_CONSTRAINT_RANGE && option->constraint.range) {
        value = std::clamp(value, toDouble(option->constraint.range->min), toDouble(option->constraint.range->max));
    } else if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST && option->constraint.word_list) {
        const SANE_Word* list = option->constraint.word_list;
        double nearest = toDouble(list[1]);
        for (SANE_Word i = 1; i <= list[0]; ++i)
            if (std::abs(toDouble(list[i]) - wanted) < std::abs(nearest - wanted))
                nearest = toDouble(list[i]);
        value = nearest;
    }
    SANE_Word word = fixed ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
    sane_control_option(handle, index, SANE_ACTION_SET_VALUE, &word, nullptr);
}

double getNumber(SANE_Handle handle, const char* name, double fallback)
{
    const int index = findOption(handle, name);
    if (index < 0)
        return fallback;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, index);
    SANE_Word word = 0;
    if (sane_control_option(handle, index, SANE_ACTION_GET_VALUE, &word, nullptr) != SANE_STATUS_GOOD)
        return fallback;
    return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : static_cast<double>(word);
}

// The scan mode whose name speaks of the colours wanted ("Color", "Gray", "Lineart").
void setMode(SANE_Handle handle, ColourMode mode)
{
    const int index = findOption(handle, SANE_NAME_SCAN_MODE);
    if (index < 0)
        return;
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, index);
    if (option->type != SANE_TYPE_STRING || option->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return;
    static const char* const colour[] = {"color", "colour", nullptr};
    static const char* const grey[] = {"gray", "grey", nullptr};
    static const char* const blackAndWhite[] = {"lineart", "binary", "black", "halftone", nullptr};
    const char* const* words = mode == ColourMode::Colour ? colour : mode == ColourMode::Grey ? grey : blackAndWhite;
    for (const SANE_String_Const* value = option->constraint.string_list; *value; ++value) {
        const QByteArray candidate = QByteArray(*value).toLower();
        for (const char* const* word = words; *word; ++word)
            if (candidate.contains(*word)) {
                std::vector<char> buffer(static_cast<size_t>(std::max<SANE_Int>(option->size, static_cast<SANE_Int>(qstrlen(*value) + 1))));
                qstrncpy(buffer.data(), *value, static_cast<unsigned>(buffer.size()));
                sane_control_option(handle, index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
                return;
            }
    }
}

void applySettings(SANE_Handle handle, const ScanSettings& settings)
{
    // The mode first: it may change which other options there are.
    setMode(handle, settings.mode);
    setNumber(handle, SANE_NAME_SCAN_RESOLUTION, settings.dpi);
    setNumber(handle, SANE_NAME_SCAN_TL_X, 0);
    setNumber(handle, SANE_NAME_SCAN_TL_Y, 0);
    const bool whole = settings.areaMillimetres.isEmpty();
    setNumber(handle, SANE_NAME_SCAN_BR_X, whole ? 1e6 : settings.areaMillimetres.width());
    setNumber(handle, SANE_NAME_SCAN_BR_Y, whole ? 1e6 : settings.areaMillimetres.height());
}

// Reads one frame of an open device into an image.
QString readImage(SANE_Handle handle, QImage& image, const ScanProgress& progress, bool& cancelled)
{
    SANE_Status status = sane_start(handle);
    if (status != SANE_STATUS_GOOD)
        return QStringLiteral("lo scanner non ha cominciato la scansione (%1)").arg(statusText(status));
    SANE_Parameters parameters{};
    status = sane_get_parameters(handle, &parameters);
    if (status != SANE_STATUS_GOOD || parameters.pixels_per_line <= 0 || parameters.bytes_per_line <= 0)
        return QStringLiteral("lo scanner non ha dato le dimensioni dell'immagine");
    const bool color = parameters.format == SANE_FRAME_RGB;
    const bool gray = parameters.format == SANE_FRAME_GRAY;
    if ((!color && !gray) || (parameters.depth != 8 && parameters.depth != 1))
        return QStringLiteral("lo scanner dà un formato d'immagine non gestito");

    const size_t expected = parameters.lines > 0 ? static_cast<size_t>(parameters.bytes_per_line) * static_cast<size_t>(parameters.lines) : 0;
    std::vector<unsigned char> data;
    data.reserve(expected);
    std::vector<unsigned char> buffer(65536);
    for (;;) {
        SANE_Int length = 0;
        status = sane_read(handle, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            return QStringLiteral("la lettura dallo scanner si è interrotta (%1)").arg(statusText(status));
        data.insert(data.end(), buffer.begin(), buffer.begin() + length);
        const double done = expected > 0 ? std::min(1.0, static_cast<double>(data.size()) / static_cast<double>(expected)) : 0;
        if (progress && !progress(done)) {
            cancelled = true;
            return QStringLiteral("scansione annullata");
        }
    }
    const int width = parameters.pixels_per_line;
    const int lines = static_cast<int>(data.size() / static_cast<size_t>(parameters.bytes_per_line));
    if (lines <= 0)
        return QStringLiteral("lo scanner non ha dato dati");
    image = QImage(width, lines, color ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    for (int y = 0; y < lines; ++y) {
        const unsigned char* line = data.data() + static_cast<size_t>(y) * static_cast<size_t>(parameters.bytes_per_line);
        unsigned char* target = image.scanLine(y);
        if (parameters.depth == 8) {
            std::copy(line, line + (color ? width * 3 : width), target);
        } else {
            // 1 bit a pixel, 1 is black.
            for (int x = 0; x < width; ++x)
                target[x] = (line[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
    }
    if (parameters.depth == 1)
        image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    return {};
}

} // namespace

QList<ScannerDevice> SaneScanner::findScanners()
{
    std::lock_guard lock(m_sane);
    SaneSession session;
    return session.ok() ? listDevices() : QList<ScannerDevice>();
}

ScannedPage SaneScanner::scan(const QString& device, const ScanSettings& settings, const ScanProgress& progress)
{
    std::lock_guard lock(m_sane);
    ScannedPage page;
    SaneSession session;
    if (!session.ok()) {
        page.problem = QStringLiteral("il sistema di scansione (SANE) non è disponibile");
        return page;
    }
    QString name = device;
    if (name.isEmpty()) {
        const QList<ScannerDevice> devices = listDevices();
        if (devices.isEmpty()) {
            page.problem = QStringLiteral("nessuno scanner collegato");
            return page;
        }
        name = devices.front().name;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.toLocal8Bit().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        page.problem = QStringLiteral("lo scanner %1 non si apre (%2)").arg(name, statusText(status));
        return page;
    }
    applySettings(handle, settings);
    page.dpi = static_cast<int>(std::lround(getNumber(handle, SANE_NAME_SCAN_RESOLUTION, settings.dpi)));
    QImage image;
    page.problem = readImage(handle, image, progress, page.cancelled);
    sane_cancel(handle);
    sane_close(handle);
    if (page.problem.isEmpty()) {
        // A scanner without a black-and-white mode gives grey: made black and white here.
        if (settings.mode == ColourMode::BlackAndWhite && image.format() != QImage::Format_Mono)
            image = image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        const QSizeF scanned(image.width() * 25.4 / page.dpi, image.height() * 25.4 / page.dpi);
        const QSizeF& asked = settings.areaMillimetres;
        if (!asked.isEmpty() && (scanned.width() < asked.width() - 2 || scanned.height() < asked.height() - 2))
            page.notice = QStringLiteral("Il piano dello scanner è più piccolo dell'area scelta: è stata acquisita un'area di %1 x %2 mm.")
                              .arg(std::lround(scanned.width()))
                              .arg(std::lround(scanned.height()));
        image.setDotsPerMeterX(static_cast<int>(std::lround(page.dpi / 0.0254)));
        image.setDotsPerMeterY(static_cast<int>(std::lround(page.dpi / 0.0254)));
        page.image = std::move(image);
    }
    return page;
}

} // namespace quadrilo::scan
