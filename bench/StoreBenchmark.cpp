// Timing of the workbook store on a full-size archive.
//
//   quadrilo-bench [--records N] [--contacts N] [--runs N] [DIR]
//
// Builds an archive (N records in each register, N contacts), writes it to
// DIR/Protocollo.xls (a temporary directory when DIR is not given, removed at
// the end) and times open, save, the raw read and write, the sheet preparation
// and a register scan; then, offscreen, the main window's first activation,
// the opening of a register into its list and the entry of a protocol with its
// save. Prints a plain table: median and minimum of the runs.
// Exits non-zero when a step fails or reads back something else than was built.

#include "desktop/NullDevices.h"
#include "printing/DailyRegister.h"
#include "app/Form1.h"
#include "app/Form4.h"
#include "desktop/Desktop.h"
#include "desktop/Dialogs.h"
#include "printing/ListPrinting.h"
#include "printing/SheetPrint.h"
#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"
#include "store/Workbook.h"
#include "xls/ByteReader.h"
#include "xls/CompoundFile.h"
#include "xls/Encryption.h"
#include "xls/Reader.h"
#include "xls/Writer.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPushButton>
#include <QTreeView>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace quadrilo;
namespace layout = store::layout;
using SteadyClock = std::chrono::steady_clock;

struct Options {
    int records = 32766;
    int contacts = 5000;
    int runs = 5;
    QString directory;
};

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "quadrilo-bench: %s\n", message.c_str());
    std::exit(1);
}

std::string text(const QString& s) { return s.toStdString(); }

double elapsedMs(SteadyClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

// Peak resident set of this process (or of its waited-for children), in MiB.
double peakMiB(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Current resident set from /proc, in MiB; 0 when unavailable.
double currentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

// ---- Synthetic archive content --------------------------------------------

class ContentGenerator {
public:
    explicit ContentGenerator(std::uint32_t seed) : m_random(seed) {}

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool chance(int percent) { return number(1, 100) <= percent; }
    template <std::size_t N>
    const char* pick(const char* const (&items)[N]) { return items[number(0, int(N) - 1)]; }

    QDate dateIn(int year) { return QDate(year, 1, 1).addDays(number(0, 364)); }

    QString firm()
    {
        static const char* const surnames[] = {"Rossi", "Russo", "Ferrari", "Esposito", "Bianchi", "Romano", "Colombo",
                                              "Ricci", "Marino", "Greco", "Bruno", "Gallo", "Conti", "De Luca",
                                              "Mancini", "Costa", "Giordano", "Rizzo", "Lombardi", "Moretti",
                                              "Barbieri", "Fontana", "Santoro", "Mariani", "Rinaldi", "Caruso",
                                              "Ferrara", "Galli", "Martini", "Leone", "Longo", "Gentile"};
        static const char* const names[] = {"Mario", "Giuseppe", "Anna", "Francesca", "Luca", "Giovanni", "Paola",
                                           "Marco", "Chiara", "Alessandro", "Elena", "Roberto", "Silvia", "Andrea"};
        static const char* const forms[] = {"S.r.l.", "S.p.A.", "S.n.c.", "S.a.s.", "& Figli S.r.l.", "Costruzioni S.r.l.",
                                           "Impianti S.n.c.", "Servizi S.r.l.s."};
        static const char* const bodies[] = {"Comune di Roma", "Agenzia delle Entrate - Direzione Provinciale di Roma",
                                            "INPS Sede di Roma Eur", "Regione Lazio", "Camera di Commercio di Roma",
                                            "Tribunale Civile di Roma", "ASL Roma 1", "Prefettura di Roma",
                                            "Ministero dello Sviluppo Economico", "Banca Popolare del Lazio"};
        switch (number(0, 9)) {
        case 0: return QString::fromUtf8(pick(bodies));
        case 1:
        case 2: return QString::fromUtf8(pick(names)) + QLatin1Char(' ') + QString::fromUtf8(pick(surnames));
        case 3:
            return QStringLiteral("Studio %1 %2").arg(chance(50) ? QStringLiteral("Legale") : QStringLiteral("Tecnico"),
                                                       QString::fromUtf8(pick(surnames)));
        default:
            return QString::fromUtf8(pick(surnames)) + QLatin1Char(' ') + QString::fromUtf8(pick(forms));
        }
    }

    // 30 to 80 characters.
    QString subject()
    {
        static const char* const openings[] = {"Richiesta di", "Trasmissione", "Sollecito di", "Comunicazione relativa a",
                                              "Invio", "Riscontro alla nota su", "Convocazione per",
                                              "Autorizzazione per", "Rettifica di", "Notifica di"};
        static const char* const topics[] = {"pagamento della fattura", "documentazione tecnica", "rinnovo del contratto",
                                            "preventivo lavori di manutenzione", "verbale di sopralluogo",
                                            "certificato di regolarità contributiva", "variazione dei dati anagrafici",
                                            "accesso agli atti", "fornitura di materiale di cancelleria",
                                            "riunione del consiglio", "pratica edilizia", "dichiarazione IVA"};
        static const char* const tails[] = {"del mese di marzo", "anno 2025", "prot. precedente", "con urgenza",
                                           "sede di via Nazionale", "secondo semestre", "", "come da accordi"};
        QString s = QString::fromUtf8(pick(openings)) + QLatin1Char(' ') + QString::fromUtf8(pick(topics));
        const QString tail = QString::fromUtf8(pick(tails));
        if (!tail.isEmpty())
            s += QLatin1Char(' ') + tail;
        if (s.size() < 30)
            s += QStringLiteral(" n. %1/2026").arg(number(1, 999));
        return s.left(80);
    }

    QString note(int row)
    {
        static const char* const notes[] = {"Consegnata a mano", "Pervenuta via PEC", "Originale in archivio",
                                           "Da restituire firmata", "Copia all'ufficio tecnico", "Risposta entro 30 giorni"};
        const int kind = number(0, 9);
        if (kind < 4)
            return {};
        if (kind < 7)
            return QString::fromUtf8(pick(notes));
        return QStringLiteral("Allegato:-scan%1.bmp").arg(row % 10000, 4, 10, QLatin1Char('0'));
    }

    QString postalCode() { return QStringLiteral("%1").arg(number(100, 98168), 5, 10, QLatin1Char('0')); }
    QString phone(const char* prefix) { return QString::fromLatin1(prefix) + QStringLiteral(" %1").arg(number(1000000, 9999999)); }
    QString digits(int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + number(0, 9));
        return s;
    }
    QString fiscalCode()
    {
        QString s;
        for (int i = 0; i < 6; ++i)
            s += QChar(u'A' + number(0, 25));
        s += digits(2) + QChar(u'A' + number(0, 11)) + digits(2) + QChar(u'A' + number(0, 25)) + digits(3)
            + QChar(u'A' + number(0, 25));
        return s;
    }

private:
    std::mt19937 m_random;
};

constexpr int kBusyDayRecords = 300;
const QDate kBusyDay(2026, 12, 9);

void fillRegister(store::Sheet sheet, layout::RegisterKind kind, int records, ContentGenerator& gen)
{
    using namespace layout::reg;
    static const char* const correspondence[] = {"Lettera", "Raccomandata A/R", "PEC", "Fax", "E-mail", "Consegna a mano"};
    static const char* const sectors[] = {"Amministrazione", "Ufficio Tecnico", "Segreteria", "Personale", "Contabilità",
                                         "Ufficio Legale"};
    static const char* const assignees[] = {"Dott. Bianchi", "Geom. Ferri", "Rag. Colombo", "Ing. Marino",
                                           "Avv. Esposito", "Sig.ra Conti"};
    static const char* const attachments[] = {"", "", "1 foglio", "2 fogli", "3 fogli", "planimetria", "1 CD",
                                             "copia documento d'identità"};
    const QString marker = kind == layout::RegisterKind::Entrata ? QStringLiteral("E") : QStringLiteral("U");
    for (int i = 1; i <= records; ++i) {
        const int row = i + 1;
        sheet.setNumber(row, kNumber, i);
        // The last 300 records of each register make one busy day, for the daily register.
        sheet.setDate(row, kDate, i > records - kBusyDayRecords ? kBusyDay : QDate(2000, 1, 1).addDays(i / 5));
        sheet.setText(row, kCorrespondenceType, QString::fromUtf8(gen.pick(correspondence)));
        QString document;
        switch (gen.number(0, 5)) {
        case 0: document = QStringLiteral("Fattura n. %1/%2").arg(gen.number(1, 999)).arg(gen.number(2000, 2026)); break;
        case 1: document = QStringLiteral("Preventivo"); break;
        case 2: document = QStringLiteral("Contratto"); break;
        case 3: document = QStringLiteral("Circolare n. %1").arg(gen.number(1, 60)); break;
        case 4: document = QStringLiteral("Sollecito di pagamento"); break;
        default: document = QStringLiteral("Comunicazione"); break;
        }
        sheet.setText(row, kDocumentType, document);
        if (gen.chance(80))
            sheet.setText(row, kDocumentDate, gen.dateIn(gen.number(2000, 2026)).toString(QStringLiteral("dd/MM/yyyy")));
        sheet.setText(row, kCorrespondent, gen.firm());
        sheet.setText(row, kSubject, gen.subject());
        sheet.setText(row, kNote, gen.note(row));
        sheet.setText(row, kAttachments, QString::fromUtf8(gen.pick(attachments)));
        sheet.setText(row, kSector, QString::fromUtf8(gen.pick(sectors)));
        sheet.setText(row, kAssignee, QString::fromUtf8(gen.pick(assignees)));
        sheet.setText(row, kMarker, marker);
    }
}

void fillContacts(store::Sheet sheet, int contacts, ContentGenerator& gen)
{
    using namespace layout::contact;
    static const char* const types[] = {"Fornitore", "Cliente", "Ente pubblico", "Professionista", "Privato"};
    static const char* const streets[] = {"Via Giuseppe Garibaldi", "Via Nazionale", "Piazza del Popolo", "Viale Europa",
                                         "Corso Vittorio Emanuele II", "Via dei Mille", "Largo Argentina"};
    static const char* const towns[][2] = {{"Roma", "RM"}, {"Milano", "MI"}, {"Napoli", "NA"}, {"Torino", "TO"},
                                          {"Firenze", "FI"}, {"Bologna", "BO"}, {"Latina", "LT"}, {"Frosinone", "FR"}};
    for (int i = 1; i <= contacts; ++i) {
        const int row = i + 1;
        const QString name = gen.firm();
        const auto& town = towns[gen.number(0, 7)];
        sheet.setNumber(row, kId, i);
        sheet.setText(row, kName, name);
        sheet.setText(row, kType, QString::fromUtf8(gen.pick(types)));
        sheet.setText(row, kDate, gen.dateIn(gen.number(2000, 2026)).toString(QStringLiteral("dd/MM/yyyy")));
        sheet.setText(row, kAddress, QString::fromUtf8(gen.pick(streets)) + QStringLiteral(", %1").arg(gen.number(1, 250)));
        sheet.setText(row, kPostalCode, gen.postalCode());
        sheet.setText(row, kTown, QString::fromUtf8(town[0]));
        sheet.setText(row, kProvince, QString::fromUtf8(town[1]));
        sheet.setText(row, kTelephone, gen.phone("06"));
        if (gen.chance(40))
            sheet.setText(row, kFax, gen.phone("06"));
        if (gen.chance(60))
            sheet.setText(row, kMobile, gen.phone("347"));
        QString mail = name.toLower();
        mail.remove(QLatin1Char(' ')).remove(QLatin1Char('.')).remove(QLatin1Char('&'));
        sheet.setText(row, kEmail, QStringLiteral("info@") + mail.left(20) + QStringLiteral(".it"));
        sheet.setText(row, kFiscalCode, gen.fiscalCode());
        if (gen.chance(50))
            sheet.setText(row, kVatNumber, gen.digits(11));
        if (gen.chance(30))
            sheet.setText(row, kReference, gen.firm());
        if (gen.chance(20))
            sheet.setText(row, kRemarks, QStringLiteral("Contatto preferito: posta elettronica certificata"));
        if (gen.chance(10))
            sheet.setText(row, kNote, QStringLiteral("Verificare recapito"));
    }
}

void fillVarie(store::Sheet sheet)
{
    using namespace layout::varie;
    const std::vector<std::pair<int, std::vector<const char*>>> lists = {
        {kCorrespondenceTypes, {"Lettera", "Raccomandata A/R", "PEC", "Fax", "E-mail", "Consegna a mano"}},
        {kDocumentTypes, {"Fattura", "Preventivo", "Contratto", "Circolare", "Sollecito di pagamento", "Comunicazione"}},
        {kSectors, {"Amministrazione", "Ufficio Tecnico", "Segreteria", "Personale", "Contabilità", "Ufficio Legale"}},
        {kAssignees, {"Dott. Bianchi", "Geom. Ferri", "Rag. Colombo", "Ing. Marino", "Avv. Esposito", "Sig.ra Conti"}},
        {kContactTypes, {"Fornitore", "Cliente", "Ente pubblico", "Professionista", "Privato"}},
    };
    for (const auto& [column, items] : lists)
        for (std::size_t i = 0; i < items.size(); ++i)
            sheet.setText(int(i) + 2, column, QString::fromUtf8(items[i]));
    sheet.setText(layout::kOwnerName.row, layout::kOwnerName.column, QStringLiteral("Studio Associato Moretti"));
    sheet.setText(layout::kOwnerSeat.row, layout::kOwnerSeat.column, QStringLiteral("Via Nazionale 12, 00184 Roma"));
    sheet.setText(layout::kOwnerFiscalCode.row, layout::kOwnerFiscalCode.column, QStringLiteral("MRTGNN70A01H501Z"));
    sheet.setText(layout::kOwnerVatNumber.row, layout::kOwnerVatNumber.column, QStringLiteral("01234567890"));
}

store::Sheet requireSheet(store::Workbook& workbook, const QString& name)
{
    auto sheet = workbook.sheet(name);
    if (!sheet)
        fail("no sheet " + text(name));
    return *sheet;
}

void setCounter(store::Workbook& workbook, const layout::CellLocation& at, double value)
{
    requireSheet(workbook, at.sheet).setNumber(at.row, at.column, value);
}

store::SessionOptions sessionOptions()
{
    store::SessionOptions options;
    options.password = layout::kWorkbookPassword;
    return options;
}

struct BuildFigures {
    double fillMs = 0;
    double writeMs = 0;
};

BuildFigures buildArchive(const Options& options, const QString& path)
{
    BuildFigures figures;
    auto start = SteadyClock::now();
    store::Workbook workbook = layout::createArchive(QStringLiteral("admin"), QStringLiteral("admin"));
    ContentGenerator gen(20260412u);
    fillRegister(requireSheet(workbook, layout::kEntrata), layout::RegisterKind::Entrata, options.records, gen);
    fillRegister(requireSheet(workbook, layout::kUscita), layout::RegisterKind::Uscita, options.records, gen);
    fillContacts(requireSheet(workbook, layout::kCliente), options.contacts, gen);
    fillVarie(requireSheet(workbook, layout::kVarie));
    setCounter(workbook, layout::kEntrataCounter, options.records);
    setCounter(workbook, layout::kUscitaCounter, options.records);
    setCounter(workbook, layout::kContactIdCounter, options.contacts + 1);
    layout::prepareSheets(workbook);
    figures.fillMs = elapsedMs(start);

    start = SteadyClock::now();
    auto saved = store::saveWorkbookFile(workbook.data(), path, sessionOptions());
    if (!saved)
        fail("cannot write " + text(path) + ": " + text(saved.error().detail));
    figures.writeMs = elapsedMs(start);
    return figures;
}

// Builds the archive in a child process, so that the parent's peak memory
// starts clean and belongs to the measured steps alone.
BuildFigures buildInChild(const Options& options, const QString& path, double& childPeakMiB)
{
    int channel[2];
    if (pipe(channel) != 0)
        fail("pipe failed");
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork failed");
    if (pid == 0) {
        close(channel[0]);
        const BuildFigures figures = buildArchive(options, path);
        const double values[3] = {figures.fillMs, figures.writeMs, peakMiB()};
        const bool written = write(channel[1], values, sizeof values) == ssize_t(sizeof values);
        std::fflush(nullptr);
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    double values[3] = {};
    const bool received = read(channel[0], values, sizeof values) == ssize_t(sizeof values);
    close(channel[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("building the archive failed");
    childPeakMiB = values[2];
    return BuildFigures{values[0], values[1]};
}

// Every question answered Sì; messages counted.
class AnswerYes final : public Dialogs {
public:
    void message(QWidget*, const QString&, const QString&, MessageIcon) override { ++messages; }
    bool askYesNo(QWidget*, const QString&, const QString&, MessageIcon) override { return true; }
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int messages = 0;
};

// ---- Timing ---------------------------------------------------------------

struct Timing {
    std::string name;
    std::vector<double> samples;

    double median() const
    {
        std::vector<double> s = samples;
        std::sort(s.begin(), s.end());
        const std::size_t n = s.size();
        return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
    }
    double minimum() const { return *std::min_element(samples.begin(), samples.end()); }
    double maximum() const { return *std::max_element(samples.begin(), samples.end()); }
};

// Runs step `runs` times; `setup` (not timed) runs before each.
Timing measure(const std::string& name, int runs, const std::function<void()>& step,
               const std::function<void()>& setup = {})
{
    Timing timing{name, {}};
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        const auto start = SteadyClock::now();
        step();
        timing.samples.push_back(elapsedMs(start));
    }
    return timing;
}

// Stream offset of the FILEPASS record (headers are never encrypted).
std::optional<std::size_t> filePassOffset(std::span<const std::uint8_t> stream)
{
    xls::ByteReader in(stream);
    while (in.has(4)) {
        const std::size_t offset = in.position();
        const std::uint16_t type = in.u16();
        const std::uint16_t size = in.u16();
        if (type == 0x002F)
            return offset;
        if (type == 0x000A || !in.has(size))
            break;
        in.skip(size);
    }
    return std::nullopt;
}

// Reads every cell of every record of the register and checks what it finds.
std::size_t scanRegister(store::Sheet sheet, int expectedRecords)
{
    std::size_t characters = 0;
    int row = 2;
    for (; !sheet.isEmpty(row, layout::reg::kNumber); ++row)
        for (int column = 1; column <= layout::reg::kHeaderCount; ++column)
            characters += std::size_t(sheet.text(row, column).size());
    if (row - 2 != expectedRecords)
        fail("scan found " + std::to_string(row - 2) + " records, expected " + std::to_string(expectedRecords));
    return characters;
}

std::size_t scanRegisterValues(store::Sheet sheet)
{
    std::size_t kinds = 0;
    for (int row = 2; !sheet.isEmpty(row, layout::reg::kNumber); ++row)
        for (int column = 1; column <= layout::reg::kHeaderCount; ++column)
            kinds += std::size_t(sheet.value(row, column).kind());
    return kinds;
}

bool parsePositive(const char* arg, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(arg, &end, 10);
    if (!end || *end || value < 1 || value > 65535)
        return false;
    out = int(value);
    return true;
}

Options parseArguments(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        int* target = arg == "--records" ? &options.records
            : arg == "--contacts"        ? &options.contacts
            : arg == "--runs"            ? &options.runs
                                         : nullptr;
        if (target) {
            if (i + 1 >= argc || !parsePositive(argv[++i], *target))
                fail("bad value for " + arg);
        } else if (!arg.empty() && arg[0] == '-') {
            fail("usage: quadrilo-bench [--records N] [--contacts N] [--runs N] [DIR]");
        } else {
            options.directory = QString::fromLocal8Bit(argv[i]);
        }
    }
    if (options.records > 65534 || options.contacts > 65534)
        fail("at most 65534 records or contacts");
    return options;
}

void printRow(const char* name, const std::string& value) { std::printf("  %-44s %s\n", name, value.c_str()); }

std::string format(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parseArguments(argc, argv);
    std::optional<QTemporaryDir> temporary;
    QString directory = options.directory;
    if (directory.isEmpty()) {
        temporary.emplace();
        if (!temporary->isValid())
            fail("cannot create a temporary directory");
        directory = temporary->path();
    } else if (!QDir().mkpath(directory)) {
        fail("cannot create " + text(directory));
    }
    const QString path = QDir(directory).filePath(layout::kWorkbookFileName);

    double buildPeak = 0;
    const BuildFigures build = buildInChild(options, path, buildPeak);
    const qint64 fileSize = QFileInfo(path).size();

    // Open once to check the content and to take the memory figure.
    // The windows are drawn offscreen; the application exists after the fork.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const double startPeak = peakMiB();
    std::unique_ptr<store::WorkbookSession> session;
    {
        auto opened = store::WorkbookSession::open(path, sessionOptions());
        if (!opened)
            fail("cannot open " + text(path) + ": " + text(opened.error().detail));
        session = std::move(*opened);
    }
    const double openPeak = peakMiB();
    const double openCurrent = currentMiB();
    if (session->droppedContent() != xls::DroppedContent::None)
        fail("the reader dropped content of the built file");
    {
        auto entrata = requireSheet(session->workbook(), layout::kEntrata);
        if (entrata.text(2, 1) != QStringLiteral("1") || entrata.text(2, 12) != QStringLiteral("E")
            || entrata.text(options.records + 1, 1) != QString::number(options.records))
            fail("the register read back differs");
        auto counter = requireSheet(session->workbook(), layout::kVarie);
        if (counter.text(layout::kEntrataCounter.row, layout::kEntrataCounter.column) != QString::number(options.records))
            fail("the counter read back differs");
    }
    session.reset();

    const int runs = options.runs;
    std::vector<Timing> timings;

    // (w) the windows, first, so that their memory figures are those of a
    // run: the session opened, the first activation, a register into its
    // list, entries with their saves.
    {
        auto opened = store::WorkbookSession::open(path, sessionOptions());
        if (!opened)
            fail("open failed");
        session = std::move(*opened);
    }
    AnswerYes dialogs;
    NoDesktop desktop;
    SystemClock clock;
    NoPrinters printers;
    NoScanner scanner;
    Form4 notes;
    std::unique_ptr<Form1> form;
    const auto newForm = [&] {
        form.reset();
        form = std::make_unique<Form1>(Form1Setup{*session, dialogs, desktop, clock, printers, scanner, directory, notes, [] {}, QStringLiteral("admin")});
    };
    timings.push_back(measure("main window: first activation", runs, [&] { form->show(); }, newForm));
    QAction* openEntrata = form->findChild<QAction*>(QStringLiteral("MenuClienti"));
    auto* list = form->findChild<QTreeView*>(QStringLiteral("ListView1"));
    if (!openEntrata || !list)
        fail("the main window lacks its controls");
    timings.push_back(measure("open Entrata into the list (menu)", runs, [&] { openEntrata->trigger(); }));
    if (list->model()->rowCount() != options.records)
        fail("the list shows " + std::to_string(list->model()->rowCount()) + " records");
    // The search over the list, as typed: the first letter folds the
    // register's texts once; each letter after narrows the rows shown.
    auto* search = form->findChild<QLineEdit*>(QStringLiteral("searchWords"));
    if (!search)
        fail("the main window lacks its search field");
    timings.push_back(measure("search: first letter", runs, [&] { search->setText(QStringLiteral("p")); },
                              [&] {
                                  search->clear();
                                  openEntrata->trigger();
                              }));
    Timing keystrokes{"search: each further keystroke", {}};
    const QString typed = QStringLiteral("pratica edilizia contabilita");
    for (int run = 0; run < runs; ++run) {
        search->setText(typed.left(1));
        for (int length = 2; length <= typed.size(); ++length) {
            const auto start = SteadyClock::now();
            search->setText(typed.left(length));
            keystrokes.samples.push_back(elapsedMs(start));
        }
        const auto start = SteadyClock::now();
        search->clear();   // back to the whole register
        keystrokes.samples.push_back(elapsedMs(start));
    }
    timings.push_back(keystrokes);
    search->setText(typed);
    const int found = list->model()->rowCount();
    search->clear();
    if (found <= 0 || found >= options.records || list->model()->rowCount() != options.records)
        fail("the search found " + std::to_string(found) + " records");
    const double windowPeak = peakMiB();
    auto* insert = form->findChild<QPushButton*>(QStringLiteral("Command16"));
    const auto typeRecord = [&] {
        form->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("8/12/2026"));
        form->findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(QStringLiteral("ALFA SRL"));
        form->findChild<QLineEdit*>(QStringLiteral("Text5"))->setText(QStringLiteral("Richiesta di documenti"));
    };
    timings.push_back(measure("insert a protocol, with its save", runs, [&] { insert->click(); }, typeRecord));
    if (list->model()->rowCount() != options.records + runs || dialogs.messages != runs)
        fail("the insertions did not all land");
    form.reset();
    const double insertPeak = peakMiB();
    session->close();
    session.reset();

    // (a) open: read, decrypt, parse, lock.
    timings.push_back(measure("open (WorkbookSession::open)", runs, [&] {
        auto opened = store::WorkbookSession::open(path, sessionOptions());
        if (!opened)
            fail("open failed");
        (*opened)->close();
    }));

    // (b) save on an open session, and the raw write and read in memory.
    auto reopened = store::WorkbookSession::open(path, sessionOptions());
    if (!reopened)
        fail("open failed");
    session = std::move(*reopened);
    timings.push_back(measure("save (WorkbookSession::save)", runs, [&] {
        if (!session->save())
            fail("save failed");
    }));
    const double savePeak = peakMiB();

    xls::WriteOptions writeOptions;
    writeOptions.password = layout::kWorkbookPassword;
    std::vector<std::uint8_t> written;
    timings.push_back(measure("  write to memory (xls::writeWorkbook)", runs, [&] {
        auto bytes = xls::writeWorkbook(session->workbook().data(), writeOptions);
        if (!bytes)
            fail("writeWorkbook failed");
        written = std::move(*bytes);
    }));
    timings.push_back(measure("    plain BIFF stream (no password)", runs, [&] {
        xls::WriteOptions plain;
        if (!xls::writeWorkbookStream(session->workbook().data(), plain))
            fail("writeWorkbookStream failed");
    }));
    timings.push_back(measure("    encrypted BIFF stream", runs, [&] {
        if (!xls::writeWorkbookStream(session->workbook().data(), writeOptions))
            fail("writeWorkbookStream failed");
    }));

    xls::ReadOptions readOptions;
    readOptions.password = layout::kWorkbookPassword;
    timings.push_back(measure("  read from memory (xls::readWorkbook)", runs, [&] {
        auto read = xls::readWorkbook(written, readOptions);
        if (!read)
            fail("readWorkbook failed");
    }));

    // (e) the floor: file bytes, container, one RC4 pass.
    std::vector<std::uint8_t> fileBytes;
    timings.push_back(measure("  read file bytes (xls::readFileBytes)", runs, [&] {
        auto bytes = xls::readFileBytes(path);
        if (!bytes)
            fail("readFileBytes failed");
        fileBytes = std::move(*bytes);
    }));
    std::vector<std::uint8_t> encryptedStream;
    timings.push_back(measure("  compound file (xls::readCompoundFile)", runs, [&] {
        auto container = xls::readCompoundFile(fileBytes);
        if (!container)
            fail("readCompoundFile failed");
        encryptedStream = std::move(container->workbookStream);
    }));
    const auto filePass = filePassOffset(encryptedStream);
    if (!filePass)
        fail("no FILEPASS in the written stream");
    std::vector<std::uint8_t> stream;
    timings.push_back(measure("  decrypt stream (decryptWorkbookStream)", runs,
                              [&] {
                                  if (!xls::decryptWorkbookStream(stream, *filePass, {layout::kWorkbookPassword}))
                                      fail("decryptWorkbookStream failed");
                              },
                              [&] { stream = encryptedStream; }));

    // (c) sheet preparation, each run on a freshly read workbook.
    std::optional<store::Workbook> fresh;
    const QString dailyPdf = QDir(directory).filePath(QStringLiteral("registro-giornaliero.pdf"));
    std::size_t dailyRecords = 0;
    timings.push_back(measure("daily register of a busy day to PDF/A", runs, [&] {
        const printing::DailyRegister daily = printing::collectDailyRegister(session->workbook(), kBusyDay);
        dailyRecords = daily.entrata.size() + daily.uscita.size();
        if (!printing::writeDailyRegister(daily, dailyPdf).isEmpty())
            fail("the daily register was not written");
    }));
    if (options.records >= kBusyDayRecords && dailyRecords != 2 * kBusyDayRecords)
        fail("the daily register lists " + std::to_string(dailyRecords) + " records");
    timings.push_back(measure("prepareSheets", runs,
                              [&] {
                                  const QStringList missing = layout::prepareSheets(*fresh);
                                  if (!missing.isEmpty())
                                      fail("prepareSheets misses sheets");
                              },
                              [&] {
                                  auto read = xls::readWorkbook(written, readOptions);
                                  if (!read)
                                      fail("readWorkbook failed");
                                  fresh.emplace(std::move(read->workbook));
                              }));
    fresh.reset();

    // (d) scan of a register through the Sheet handle.
    auto entrata = requireSheet(session->workbook(), layout::kEntrata);
    std::size_t scanned = 0;
    timings.push_back(measure("scan Entrata, text() of A..K", runs, [&] { scanned += scanRegister(entrata, options.records + runs); }));
    timings.push_back(measure("scan Entrata, value() of A..K", runs, [&] { scanned += scanRegisterValues(entrata); }));

    // (e) the Entrata list as the printer window prints it, at 90 %, into a PDF.
    printing::applyListPageSetup(session->workbook(), printing::ListCode::Entrata, QDate(2026, 12, 8), 90);
    const QString printout = QDir(directory).filePath(QStringLiteral("Entrata.pdf"));
    int printedPages = 0;
    timings.push_back(measure("print the Entrata list to PDF", std::min(runs, 3), [&] {
        QPdfWriter pdf(printout);
        printedPages = printing::printSheet(pdf, entrata).pages;
    }));

    session->close();
    session.reset();

    std::printf("Quadrilo store benchmark\n");
    printRow("records per register", std::to_string(options.records));
    printRow("contacts", std::to_string(options.contacts));
    printRow("runs per step", std::to_string(runs));
    printRow("file size", std::to_string(fileSize) + " bytes (" + format("%.2f", double(fileSize) / 1048576.0) + " MiB)");
    printRow("Workbook stream", std::to_string(encryptedStream.size()) + " bytes");
    printRow("build: fill the archive", format("%.1f ms", build.fillMs));
    printRow("build: saveWorkbookFile", format("%.1f ms", build.writeMs));
    std::printf("\n  %-44s %10s %10s %10s\n", "step", "median ms", "min ms", "max ms");
    for (const auto& t : timings)
        std::printf("  %-44s %10.1f %10.1f %10.1f\n", t.name.c_str(), t.median(), t.minimum(), t.maximum());
    std::printf("\n  %-44s %10s\n", "memory", "MiB");
    std::printf("  %-44s %10.1f\n", "peak RSS after build (build process)", buildPeak);
    std::printf("  %-44s %10.1f\n", "peak RSS before open", startPeak);
    std::printf("  %-44s %10.1f\n", "peak RSS after open", openPeak);
    std::printf("  %-44s %10.1f\n", "current RSS after open", openCurrent);
    std::printf("  %-44s %10.1f\n", "peak RSS after the saves", savePeak);
    std::printf("  %-44s %10.1f\n", "peak RSS with Entrata in the list", windowPeak);
    std::printf("  %-44s %10.1f\n", "peak RSS after the insertions", insertPeak);
    std::printf("  %-44s %10.1f\n", "peak RSS at the end (raw buffers held)", peakMiB());
    std::printf("  (checksum %zu; %d pages printed, %lld bytes)\n", scanned, printedPages,
                static_cast<long long>(QFileInfo(printout).size()));
    return 0;
}
