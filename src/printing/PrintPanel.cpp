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
    layout->addStretch();
    layout->addWidget(m_exit);
}

} // namespace quadrilo::printing
