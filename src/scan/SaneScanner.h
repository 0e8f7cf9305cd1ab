#pragma once

// Scanning through SANE: the scanners it finds, one page read with the chosen
// resolution, colours and area. SANE is used by one call at a time.

#include "desktop/Scanner.h"

#include <mutex>

namespace quadrilo::scan {

class SaneScanner final : public Scanner {
public:
    QList<ScannerDevice> findScanners() override;
    ScannedPage scan(const QString& device, const ScanSettings& settings, const ScanProgress& progress) override;

private:
    std::mutex m_sane;
};

} // namespace quadrilo::scan
