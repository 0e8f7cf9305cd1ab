#pragma once

// For the tests that drive the real windows offscreen: scripted dialogs that
// record every box and give queued answers, a desktop that records what it was
// asked to open, a fixed clock, and workbook files made for a test.

#include "desktop/Desktop.h"
#include "desktop/Dialogs.h"
#include "desktop/Printers.h"
#include "desktop/Scanner.h"
#include "store/CellValue.h"
#include "store/Session.h"
#include "store/Workbook.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <QLabel>
#include <QRect>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <ostream>

// Texts in failure messages as texts, not as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quadrilo::store {
// Cell values in failure messages as their kind and displayed value.
inline void PrintTo(const CellValue& value, std::ostream* os)
{
    static const char* const kinds[] = {"empty", "text", "number", "date", "boolean", "error"};
    *os << kinds[static_cast<int>(value.kind())] << ' ';
    if (value.isText())
        *os << '"' << value.text().toStdString() << '"';
    else
        *os << value.number();
}
} // namespace quadrilo::store

namespace quadrilo::testsupport {

struct RecordedBox {
    enum class Kind { Message, YesNo, Input, OpenFile };
    Kind kind = Kind::Message;
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const RecordedBox&) const = default;
};

// Boxes are recorded in order. A question with no queued answer fails the test
// and is answered No (or cancelled).
class ScriptedDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
    std::optional<QString> inputBox(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initialText) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter) override;

    // Called as each message box shows, while it would be on the screen.
    std::function<void(const RecordedBox&)> onMessage;

    void answerYes() { m_answers.push_back(true); }
    void answerNo() { m_answers.push_back(false); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void answerFile(QString path) { m_files.push_back(std::move(path)); }

    const std::vector<RecordedBox>& boxes() const { return m_boxes; }
    // The texts of the recorded boxes, in order.
    QStringList texts() const;
    void clear() { m_boxes.clear(); }
    // Answers queued and not used.
    int pendingAnswers() const { return static_cast<int>(m_answers.size() + m_inputs.size() + m_files.size()); }

private:
    std::vector<RecordedBox> m_boxes;
    std::deque<bool> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<QString> m_files;
};

class RecordingDesktop final : public Desktop {
public:
    bool openDocument(const QString& path) override
    {
        documents << path;
        return opens;
    }
    bool opens = true;   // whether a program takes the files
    void openWebPage(const QString& address) override { webPages << address; }
    QStringList documents;
    QStringList webPages;
};

// Printers that print to PDF files, for pdftotext to read back.
class PdfPrinters final : public Printers {
public:
    struct Job {
        QString printer;
        QString name;
        QString pdfPath;
    };
    QStringList printerNames() const override { return names; }
    QString defaultPrinter() const override { return defaultName; }
    PrintJob print(const QString& printer, const QString& jobName, const DrawPages& draw) override;

    QStringList names{QStringLiteral("Ufficio"), QStringLiteral("Segreteria")};
    QString refusal;   // not empty: every job is refused with this reason
    QString defaultName = QStringLiteral("Ufficio");
    std::vector<Job> jobs;

private:
    QTemporaryDir m_folder;
};


// A scanner that gives a small page, or fails when told to.
class FakeScanner final : public Scanner {
public:
    QList<ScannerDevice> findScanners() override { return devices; }
    ScannedPage scan(const QString& device, const ScanSettings& settings, const ScanProgress& progress) override;

    QList<ScannerDevice> devices{{QStringLiteral("test:0"), QStringLiteral("Noname frontend-tester (dispositivo virtuale)")}};
    QString failure;                 // "" scans; otherwise the reason given
    std::vector<ScanSettings> asked; // the settings of each scan
    QStringList used;                // the device of each scan
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now) : time(std::move(now)) {}
    QDateTime now() const override { return time; }
    QDateTime time;
};

// A new archive (sheets, headers, user "mario" with password "segreta").
store::Workbook makeArchive();
// Writes the workbook encrypted with the program's password; the test fails
// when it cannot.
void writeArchive(const store::Workbook& workbook, const QString& path);
// Reads a workbook file with the program's password; the test fails when it cannot.
store::Workbook readArchive(const QString& path);
// Opens a session on the file with the program's password.
std::unique_ptr<store::WorkbookSession> openArchive(const QString& path);

// The child with that objectName and type; the test fails when there is none.
template <typename T>
T* child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no control named " << name;
    return found;
}

// The label whose buddy is the field; nullptr when none.
QLabel* captionOf(const QWidget& root, const QWidget* field);
// Where a widget lies, in the coordinates of an ancestor.
QRect rectIn(const QWidget& ancestor, const QWidget& widget);

} // namespace quadrilo::testsupport
