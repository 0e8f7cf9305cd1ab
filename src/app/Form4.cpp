#include "app/Form4.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quadrilo {

Form4::Form4(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Quadrilo ver.3.1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Aggiornamento :")));
    layout->addWidget(new QLabel(QStringLiteral("Versione del 10-4-2009")));
    auto* note = new QLabel(QStringLiteral(
        "Possibilità di avere una doppia numerazione tra i protocolli in Entrata e   in Uscita , possibilità di modificare tutti e due protocolli"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(new QLabel(QStringLiteral("Quadrilo: registro di protocollo per Linux.")));

    m_rules = new QGroupBox(QStringLiteral("Norme di  utilizzo"));
    m_rules->setObjectName(QStringLiteral("Frame1"));
    auto* rulesLayout = new QVBoxLayout(m_rules);
    auto* rules = new QPlainTextEdit;
    rules->setObjectName(QStringLiteral("Text1"));
    rules->setReadOnly(true);
    rules->setPlainText(QStringLiteral(" \n \n \n \n\n"));
    rulesLayout->addWidget(rules);
    layout->addWidget(m_rules);
    resize(460, 360);
}

void Form4::showNotes(bool withUsageRules)
{
    m_rules->setVisible(withUsageRules);
    show();
    raise();
    activateWindow();
}

void Form4::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

} // namespace quadrilo
