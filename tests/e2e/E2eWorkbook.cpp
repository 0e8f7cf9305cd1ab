// Writes the workbook the end-to-end tests start from: e2e-workbook DIR
// [--large N]. With --large, Entrata holds N generated records instead
// (record i: number i, registered on 1 January 2025 plus i/4 days, its
// correspondent and subject drawn in turn from short lists, some accented).
//
// Users: Rossi/alfa (row 2) and rossi/beta (row 3), names that differ only in
// case; users-area password "area", Excel password "excel".
// Entrata: 1 "Lettera A", 2 "Lettera B", then 1 again "Lettera C", as after
// the counter was set back; the counter holds 2. One contact, COMUNE DI PROVA.

#include "store/Layout.h"
#include "store/Session.h"
#include "store/Sheet.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace quadrilo;
namespace layout = store::layout;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool large = argc == 4 && std::string_view(argv[2]) == "--large";
    if (argc != 2 && !large) {
        std::fprintf(stderr, "usage: e2e-workbook DIR [--large N]\n");
        return 2;
    }
    store::Workbook book = layout::createArchive(QStringLiteral("Rossi"), QStringLiteral("alfa"));
    auto varie = book.sheet(layout::kVarie);
    namespace v = layout::varie;
    varie->setNumber(3, v::kUserId, 2);
    varie->setText(3, v::kUserSurname, QStringLiteral("Rossi"));
    varie->setText(3, v::kUserName, QStringLiteral("Anna"));
    varie->setText(3, v::kUserLogin, QStringLiteral("rossi"));
    varie->setText(3, v::kUserPassword, QStringLiteral("beta"));
    varie->setNumber(layout::kUserIdCounter.row, layout::kUserIdCounter.column, 3);
    varie->setText(layout::kOwnerName.row, layout::kOwnerName.column, QStringLiteral("Comune di Prova"));
    varie->setText(layout::kUsersPassword.row, layout::kUsersPassword.column, QStringLiteral("area"));
    varie->setText(layout::kHostPassword.row, layout::kHostPassword.column, QStringLiteral("excel"));

    auto entrata = book.sheet(layout::kEntrata);
    namespace reg = layout::reg;
    const struct {
        int number;
        const char* subject;
    } records[] = {{1, "Lettera A"}, {2, "Lettera B"}, {1, "Lettera C"}};
    int row = 2;
    for (const auto& record : records) {
        entrata->setNumber(row, reg::kNumber, record.number);
        entrata->setDate(row, reg::kDate, QDate(2026, 12, row));
        entrata->setText(row, reg::kCorrespondent, QStringLiteral("COMUNE DI PROVA"));
        entrata->setText(row, reg::kSubject, QString::fromUtf8(record.subject));
        entrata->setText(row, reg::kMarker, QStringLiteral("E"));
        ++row;
    }
    varie->setNumber(layout::kEntrataCounter.row, layout::kEntrataCounter.column, 2);
    if (large) {
        static const char* const names[] = {"Comune di Forlì", "COMUNE DI CESENA", "Provincia di Rimini", "Località Cà Rossa srl",
                                            "Studio Tecnico Bianchi", "Agenzia delle Entrate", "Regione Emilia-Romagna"};
        static const char* const subjects[] = {"Perizia tecnica", "Richiesta di documenti", "Perizia di stima", "Convocazione",
                                               "Fattura", "Sollecito di pagamento", "Accesso agli atti", "Parere"};
        const int count = std::atoi(argv[3]);
        for (int i = 1; i <= count; ++i) {
            const int row = i + 1;
            entrata->setNumber(row, reg::kNumber, i);
            entrata->setDate(row, reg::kDate, QDate(2025, 1, 1).addDays(i / 4));
            entrata->setText(row, reg::kCorrespondent, QString::fromUtf8(names[i % 7]));
            entrata->setText(row, reg::kSubject, QString::fromUtf8(subjects[(i / 7) % 8]) + QStringLiteral(" n. %1").arg(i));
            entrata->setText(row, reg::kMarker, QStringLiteral("E"));
        }
        varie->setNumber(layout::kEntrataCounter.row, layout::kEntrataCounter.column, count);
    }
    auto cliente = book.sheet(layout::kCliente);
    cliente->setNumber(2, layout::contact::kId, 1);
    cliente->setText(2, layout::contact::kName, QStringLiteral("COMUNE DI PROVA"));
    cliente->setNumber(layout::kContactIdCounter.row, layout::kContactIdCounter.column, 2);

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.absoluteFilePath(layout::kAttachmentFolder));
    store::SessionOptions options;
    options.password = layout::kWorkbookPassword;
    auto saved = store::saveWorkbookFile(book.data(), folder.absoluteFilePath(layout::kWorkbookFileName), options);
    if (!saved) {
        std::fprintf(stderr, "e2e-workbook: cannot write the workbook\n");
        return 1;
    }
    return 0;
}
