#pragma once

// Acquiring paper documents as images, behind an interface so that tests need
// no scanner. Both calls may take long (a network search, a page at high
// resolution): the windows run them off their own thread.

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

#include <functional>

namespace quadrilo {

struct ScannerDevice {
    QString name;   // the system's name for it ("test:0", "genesys:libusb:001:004")
    QString label;  // for a person: vendor, model and kind, in Italian
};

enum class ColourMode { BlackAndWhite, Grey, Colour };

struct ScanSettings {
    int dpi = 200;
    ColourMode mode = ColourMode::Grey;
    // From the top left corner of the glass; empty: the whole glass.
    QSizeF areaMillimetres{210, 297};
};

struct ScannedPage {
    QImage image;        // null when nothing was scanned
    int dpi = 0;         // the resolution the scanner used
    bool cancelled = false;
    QString problem;     // why nothing was scanned, in Italian, without a full stop
    QString notice;      // what the user should know of a page scanned (a smaller glass), in Italian
};

// Told how much of the work is done, 0 to 1; false asks it to stop.
using ScanProgress = std::function<bool(double done)>;

class Scanner {
public:
    virtual ~Scanner() = default;
    // The scanners connected to this computer.
    virtual QList<ScannerDevice> findScanners() = 0;
    // One page from the scanner named device (the first found when empty).
    virtual ScannedPage scan(const QString& device, const ScanSettings& settings, const ScanProgress& progress) = 0;
};

} // namespace quadrilo
