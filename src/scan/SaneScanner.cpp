#include "scan/SaneScanner.h"

#include <QImage>
#include <QInputDialog>

#include <sane/sane.h>

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
    return QString::fromLocal8Bit(sane_strstatus(status));
}

QStringList listDevices()
{
    QStringList names;
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices)
        return names;
    for (int i = 0; devices[i]; ++i)
        names << QString::fromLocal8Bit(devices[i]->name);
    return names;
}

// Reads one frame of an open device into an image.
QString readImage(SANE_Handle handle, QImage& image)
{
    SANE_Status status = sane_start(handle);
    if (status != SANE_STATUS_GOOD)
        return QStringLiteral("lo scanner non ha cominciato la scansione (%1)").arg(statusText(status));
    SANE_Parameters parameters{};
    status = sane_get_parameters(handle, &parameters);
    if (status != SANE_STATUS_GOOD || parameters.lines <= 0 || parameters.pixels_per_line <= 0)
        return QStringLiteral("lo scanner non ha dato le dimensioni dell'immagine");
    const bool color = parameters.format == SANE_FRAME_RGB;
    const bool gray = parameters.format == SANE_FRAME_GRAY;
    if ((!color && !gray) || (parameters.depth != 8 && parameters.depth != 1))
        return QStringLiteral("lo scanner dà un formato d'immagine non gestito");

    std::vector<unsigned char> data;
    data.reserve(static_cast<size_t>(parameters.bytes_per_line) * static_cast<size_t>(parameters.lines));
    unsigned char buffer[32768];
    for (;;) {
        SANE_Int length = 0;
        status = sane_read(handle, buffer, sizeof buffer, &length);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD)
            return QStringLiteral("la lettura dallo scanner si è interrotta (%1)").arg(statusText(status));
        data.insert(data.end(), buffer, buffer + length);
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
    return {};
}

} // namespace

QStringList SaneScanner::deviceNames()
{
    SaneSession session;
    return session.ok() ? listDevices() : QStringList();
}

std::optional<QString> SaneScanner::selectSource(QWidget* parent)
{
    const QStringList devices = deviceNames();
    if (devices.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QStringLiteral("Scanner"), QStringLiteral("Seleziona lo scanner:"), devices,
                                                 std::max(0, static_cast<int>(devices.indexOf(m_source))), false, &ok);
    if (!ok)
        return std::nullopt;
    m_source = chosen;
    return chosen;
}

QString SaneScanner::acquireToFile(QWidget*, const QString& path)
{
    SaneSession session;
    if (!session.ok())
        return QStringLiteral("il sistema di scansione (SANE) non è disponibile");
    const QStringList devices = listDevices();
    const QString device = devices.contains(m_source) ? m_source : devices.value(0);
    if (device.isEmpty())
        return QStringLiteral("nessuno scanner collegato");
    SANE_Handle handle = nullptr;
    const QByteArray name = device.toLocal8Bit();
    SANE_Status status = sane_open(name.constData(), &handle);
    if (status != SANE_STATUS_GOOD)
        return QStringLiteral("lo scanner %1 non si apre (%2)").arg(device, statusText(status));
    QImage image;
    QString problem = readImage(handle, image);
    sane_cancel(handle);
    sane_close(handle);
    if (!problem.isEmpty())
        return problem;
    if (!image.save(path, "BMP"))
        return QStringLiteral("il file %1 non si può scrivere").arg(path);
    return {};
}

} // namespace quadrilo::scan
