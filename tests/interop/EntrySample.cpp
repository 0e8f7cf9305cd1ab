// Runs the program offscreen on a new archive the way an office would: login,
// protocols entered, one deleted and one changed, a contact, a lookup value
// and a counter, exit. LibreOffice then reads the file (entry_test.py).
// With --print-on, a record with long texts is entered, the Entrata sheet
// gets a footer as LibreOffice writes them, and the Entrata list is printed on
// that printer of the system, chosen in the printer window; then the label of
// the first record, which goes to the printer chosen (tests/printing/cups_test.py).
//
//   entry-sample DIR [--print-on PRINTER]
//
// Every question is answered Sì and every input box with its proposed text;
// every box is printed on stdout.

#include "desktop/NullDevices.h"
#include "app/Form1.h"
#include "app/Form2.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <cstdio>
#include <string_view>

namespace {

using namespace quadrilo;

class AnswerYes final : public Dialogs {
public:
    void message(QWidget*, const QString& title, const QString& text, MessageIcon) override { print(title, text); }
    bool askYesNo(QWidget*, const QString& title, const QString& text, MessageIcon) override
    {
        print(title, text);
        return true;
    }
    std::optional<QString> inputBox(QWidget*, const QString& title, const QString& text, const QString& proposed) override
    {
        print(title, text);
        return proposed;
    }
    QString openFileName(QWidget*, const QString& title, const QString&, const QString&) override
    {
        print(title, QString());
        return {};
    }

private:
    static void print(const QString& title, const QString& text)
    {
        std::printf("[%s] %s\n", qPrintable(title), qPrintable(text));
    }
};

template <typename T>
T* find(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "entry-sample: no control %s\n", name);
        std::exit(1);
    }
    return found;
}

void enter(Form1& form, const char* menu, const QString& date, const QString& who, const QString& note, const QString& attachments)
{
    find<QAction>(form, menu)->trigger();
    find<QLineEdit>(form, "Text2")->setText(date);
    find<QComboBox>(form, "Combo1")->setEditText(QStringLiteral("Raccomandata"));
    find<QLineEdit>(form, "Text3")->setText(QStringLiteral("1/12/26"));
    find<QLineEdit>(form, "Text4")->setText(who);
    find<QLineEdit>(form, "Text5")->setText(QStringLiteral("Richiesta di documenti"));
    find<QPlainTextEdit>(form, "Text6")->setPlainText(note);
    find<QLineEdit>(form, "Text70")->setText(attachments);
    find<QPushButton>(form, "Command16")->click();
}

void click(QObject& parent, const char* button)
{
    find<QPushButton>(parent, button)->click();
}

// The Entrata list, through the printer window, on printer.
void printEntrataList(Form1& form, const QString& printer)
{
    find<QAction>(form, "MnCoopertina")->trigger();
    click(form, "Command8");
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("StampaP") && window->isVisible()) {
            std::printf("[StampaP] %s\n", qPrintable(find<QLabel>(*window, "Label1")->text().replace(QLatin1String("\r\n"), QLatin1String(" "))));
            find<QComboBox>(*window, "Combo1")->setEditText(printer);
            click(*window, "Command1");
            return;
        }
    std::fprintf(stderr, "entry-sample: no printer window\n");
    std::exit(1);
}

void loadRow(Form1& form, int row)
{
    auto* list = find<QTreeView>(form, "ListView1");
    emit list->clicked(list->model()->index(row, 0));
}

} // namespace

int main(int argc, char** argv)
{
    const bool printing = argc == 4 && std::string_view(argv[2]) == "--print-on";
    if (argc != 2 && !printing) {
        std::fprintf(stderr, "usage: entry-sample DIR [--print-on PRINTER]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(store::layout::kWorkbookFileName);
    QFile::remove(path);
    store::SessionOptions options;
    options.password = store::layout::kWorkbookPassword;
    if (!store::saveWorkbookFile(store::layout::createArchive(QStringLiteral("admin"), QStringLiteral("admin")).data(), path, options)) {
        std::fprintf(stderr, "entry-sample: cannot write %s\n", qPrintable(path));
        return 1;
    }

    AnswerYes dialogs;
    NoDesktop desktop;
    SystemClock clock;
    NoPrinters noPrinters;
    QtPrinters systemPrinters;
    Printers& printers = printing ? static_cast<Printers&>(systemPrinters) : noPrinters;
    NoScanner scanner;
    bool ended = false;
    Form2 login(ProgramSetup{dialogs, desktop, clock, printers, scanner, folder, [&] { ended = true; }, {}});
    if (!login.Form_Load())
        return 1;
    find<QComboBox>(login, "Combo1")->setEditText(QStringLiteral("admin"));
    find<QPushButton>(login, "Command1")->click();
    Form1* form = login.mainWindow();
    if (!form)
        return 1;
    enter(*form, "MenuClienti", QStringLiteral("7/12/2026"), QStringLiteral("ALFA SRL"), QStringLiteral("riga 1\nriga 2"),
          QStringLiteral("00184"));
    enter(*form, "MenuClienti", QStringLiteral("8/12/2026"), QStringLiteral("GAMMA SNC"), QString(), QString());
    loadRow(*form, 1);
    click(*form, "Command19");
    click(*form, "Command18");  // Protocolla is off after a deletion until Pulisci
    enter(*form, "MenuArchiviazione", QStringLiteral("07-12-2026"), QStringLiteral("BETA SPA"), QString(), QStringLiteral("2"));
    loadRow(*form, 0);
    find<QLineEdit>(*form, "Text5")->setText(QStringLiteral("Risposta modificata"));
    click(*form, "Command17");

    find<QAction>(*form, "MnContatti")->trigger();
    find<QLineEdit>(*form, "Text26")->setText(QStringLiteral("ROSSI MARIO"));
    find<QLineEdit>(*form, "Text24")->setText(QStringLiteral("00184"));
    find<QLineEdit>(*form, "Text21")->setText(QStringLiteral("0612345678"));
    find<QLineEdit>(*form, "Text19")->setText(QStringLiteral("RSSMRA80A01H501U"));
    click(*form, "Command70");

    find<QAction>(*form, "MnImpostazioni")->trigger();
    auto* types = find<QComboBox>(*form, "Combo9");
    types->setCurrentIndex(0);
    emit types->activated(0);
    find<QLineEdit>(*form, "Text34")->setText(QStringLiteral("Corriere"));
    click(*form, "Command1");
    find<QLineEdit>(*form, "Text27")->setText(QStringLiteral("41"));
    click(*form, "Command14");
    if (printing) {
        enter(*form, "MenuClienti", QStringLiteral("9/12/2026"), QStringLiteral("AMMINISTRAZIONE PROVINCIALE DI FORLI-CESENA"),
              QStringLiteral("protocollo.generale@comune.esempio\nRisposta attesa entro trenta giorni dalla data di ricevimento "
                             "della presente, come stabilito dal regolamento provinciale sulle procedure amministrative"),
              QStringLiteral("3"));
        // As at the next start: the sheet is prepared again, its columns fitted to the long note.
        form->Form_Activate();
        login.session()->workbook().sheet(store::layout::kEntrata)->editPageSetup().footer =
            QStringLiteral("&L&\"Liberation Sans,Regular\"&10Quadrilo&CPagina &P di &N&R&A");
        printEntrataList(*form, QString::fromLocal8Bit(argv[3]));
        find<QAction>(*form, "MenuClienti")->trigger();
        loadRow(*form, 0);
        find<QComboBox>(*form, "Combo7")->setEditText(QStringLiteral("Segreteria"));
        find<QComboBox>(*form, "Combo8")->setEditText(QStringLiteral("Rossi"));
        click(*form, "Command21");
    }
    find<QAction>(*form, "MenuEsci")->trigger();
    return ended ? 0 : 1;
}
