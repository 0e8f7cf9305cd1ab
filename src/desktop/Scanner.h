#pragma once

// Acquiring a paper document as an image file, behind an interface so that
// tests need no scanner.

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quadrilo {

class Scanner {
public:
    virtual ~Scanner() = default;
    // Lets the user choose the scanner to use; nullopt when none was chosen.
    virtual std::optional<QString> selectSource(QWidget* parent) = 0;
    // Scans one page into a bitmap file at path. Returns "" on success,
    // otherwise why it failed, in Italian.
    virtual QString acquireToFile(QWidget* parent, const QString& path) = 0;
};

} // namespace quadrilo
