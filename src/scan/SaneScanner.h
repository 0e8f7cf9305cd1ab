#pragma once

// Scanning through SANE: the scanners it finds, one page read into a BMP file.

#include "desktop/Scanner.h"

namespace quadrilo::scan {

class SaneScanner final : public Scanner {
public:
    // The SANE names of the scanners found ("test:0", "genesys:libusb:001:004").
    static QStringList deviceNames();

    std::optional<QString> selectSource(QWidget* parent) override;
    // Scans with the chosen scanner, or the first one found.
    QString acquireToFile(QWidget* parent, const QString& path) override;

    const QString& source() const { return m_source; }
    void setSource(const QString& name) { m_source = name; }

private:
    QString m_source;
};

} // namespace quadrilo::scan
