#include "register/CounterSettings.h"

#include "desktop/Controls.h"
#include "register/Protocols.h"
#include "store/Sheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace quadrilo::protocol {

namespace layout = store::layout;

CounterSettings::CounterSettings(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Utilità"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Utilita"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("ID  Protocollo")), 0, 0, 1, 2);
    m_entrata = makeLineEdit("Text33", 5, true);
    m_uscita = makeLineEdit("Text27", 5, true);
    auto* setEntrata = makeButton("Command27", QStringLiteral("&Esegui"));
    auto* setUscita = makeButton("Command14", QStringLiteral("&Esegui"));
    addCaptionedField(grid, 1, 0, QStringLiteral("Inserisci Nuovo Progressivo in Entrata"), m_entrata);
    grid->addWidget(setEntrata, 2, 1);
    addCaptionedField(grid, 3, 0, QStringLiteral("Inserisci Nuovo Progressivo in Uscita"), m_uscita);
    grid->addWidget(setUscita, 4, 1);
    setEntrata->setAccessibleName(QStringLiteral("Esegui: nuovo progressivo in Entrata"));
    setUscita->setAccessibleName(QStringLiteral("Esegui: nuovo progressivo in Uscita"));
    connect(setEntrata, &QPushButton::clicked, this, &CounterSettings::Command27_Click);
    connect(setUscita, &QPushButton::clicked, this, &CounterSettings::Command14_Click);
}

void CounterSettings::Command27_Click()
{
    setCounterFrom(m_entrata, RegisterKind::Entrata);
}

void CounterSettings::Command14_Click()
{
    setCounterFrom(m_uscita, RegisterKind::Uscita);
}

void CounterSettings::setCounterFrom(QLineEdit* box, RegisterKind kind)
{
    Dialogs& dialogs = m_context.dialogs;
    const QString text = box->text();
    if (text.isEmpty()) {
        dialogs.message(this, kProductName,
                        QStringLiteral(" ERRORE :Il campo    numero ID progressivo del Protocollo deve essere compilato ! "),
                        MessageIcon::None);
        box->setFocus();
        return;
    }
    // The counter is a number the next entry adds one to: a whole one, that
    // leaves the next number within five digits.
    bool isNumber = false;
    const long long value = text.trimmed().toLongLong(&isNumber);
    if (!isNumber || value < 0 || value >= kMaxProtocolNumber) {
        dialogs.message(this, kProductName,
                        QStringLiteral(" ERRORE :Il numero ID progressivo del Protocollo deve essere un numero intero da 0 a %1 ! ")
                            .arg(kMaxProtocolNumber - 1),
                        MessageIcon::None);
        box->setFocus();
        return;
    }
    const QString registerWord = kind == RegisterKind::Entrata ? QStringLiteral("ENTRATA") : QStringLiteral("USCITA");
    if (!dialogs.askYesNo(this, kProductName,
                          QStringLiteral("Vuoi  modificare  il numero ID progressivo del Protocollo in %1  ?").arg(registerWord))) {
        box->clear();
        return;
    }
    // Setting the counter back is how a new year starts again from 1, but it
    // makes later numbers repeat stored ones: said before it is done.
    const long long highest = highestNumber(m_context.workbook(), kind);
    if (value < highest
        && !dialogs.askYesNo(this, kProductName,
                             QStringLiteral("Attenzione: nel registro in %1 c'è già il protocollo numero %2: i prossimi protocolli "
                                            "ripeteranno numeri già usati. Vuoi continuare ?")
                                 .arg(kind == RegisterKind::Entrata ? QStringLiteral("Entrata") : QStringLiteral("Uscita"))
                                 .arg(highest))) {
        box->clear();
        return;
    }
    setCounter(m_context.workbook(), kind, value);
    saveThenTell(m_context, this, kProductName,
                 QStringLiteral(" Operazione eseguita il nuovo numero ID progressivo del Protocollo   è ") + text,
                 MessageIcon::Information);
    box->clear();
}

long long highestNumber(store::Workbook& workbook, RegisterKind kind)
{
    const auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet)
        return 0;
    double highest = 0;
    const int last = sheet->lastUsedRow();
    for (int row = 2; row <= last; ++row) {
        const store::CellValue value = sheet->value(row, layout::reg::kNumber);
        if (value.isNumber() && std::isfinite(value.number()))
            highest = std::max(highest, value.number());
    }
    return static_cast<long long>(std::min(highest, 1e15));
}

} // namespace quadrilo::protocol
