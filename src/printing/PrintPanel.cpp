#include "printing/PrintPanel.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace quadrilo::printing {

PrintPanel::PrintPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Stampe"), parent)
{
    setObjectName(QStringLiteral("Frame5"));
    auto* layout = new QHBoxLayout(this);
    m_exit = new QPushButton(QStringLiteral("&Esci"));
    m_exit->setObjectName(QStringLiteral("Command5"));
    auto* entrata = new QPushButton(QStringLiteral("Stampa Lista Progressivi in  Entrata"));
    entrata->setObjectName(QStringLiteral("Command8"));
    auto* uscita = new QPushButton(QStringLiteral("Stampa Lista Progressivi in  Uscita"));
    uscita->setObjectName(QStringLiteral("Command22"));
    connect(entrata, &QPushButton::clicked, this, [this] { emit printRequested(ListCode::Entrata); });
    connect(uscita, &QPushButton::clicked, this, [this] { emit printRequested(ListCode::Uscita); });
    m_daily = new QPushButton(QStringLiteral("Registro &giornaliero"));
    m_daily->setObjectName(QStringLiteral("dailyRegister"));
    layout->addWidget(entrata);
    layout->addWidget(uscita);
    layout->addWidget(m_daily);
    layout->addStretch();
    layout->addWidget(m_exit);
}

} // namespace quadrilo::printing
