#pragma once

// The scanner window (Form5), which scans documents into the attachment
// folder and names them in the protocol's note, and the attachment viewer
// (Form3).

#include "desktop/PanelContext.h"
#include "desktop/Scanner.h"

#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;

namespace quadrilo::scan {

// The line a scanned or attached file adds to the protocol's note.
QString attachmentLine(const QString& fileName);

// The pages as one PDF file, each page the size the scan had; false when the
// file cannot be written.
bool writePdf(const QString& path, const std::vector<ScannedPage>& pages);

class Form5 final : public QWidget {
    Q_OBJECT
public:
    // appendToNote adds a line to the note field of the protocol panel.
    Form5(PanelContext& context, Scanner& scanner, std::function<void(const QString&)> appendToNote, QWidget* parent = nullptr);

    // Shown for a new document: the file name emptied.
    void open();
    // The resolution, colours and area chosen.
    ScanSettings settings() const;

private:
    void Command2_Click();
    void Command1_Click();
    // One page with the chosen scanner and settings, the window drawing on.
    ScannedPage scanPage(int number);

    PanelContext& m_context;
    Scanner& m_scanner;
    std::function<void(const QString&)> m_appendToNote;
    QLineEdit* m_fileName = nullptr;   // Text1
    QComboBox* m_device = nullptr;     // the scanners found
    QComboBox* m_resolution = nullptr;
    QComboBox* m_colours = nullptr;
    QComboBox* m_area = nullptr;
};

class Form3 final : public QWidget {
    Q_OBJECT
public:
    explicit Form3(PanelContext& context, QWidget* parent = nullptr);

private:
    void Command1_Click();

    PanelContext& m_context;
};

} // namespace quadrilo::scan
