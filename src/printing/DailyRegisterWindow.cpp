#include "printing/DailyRegisterWindow.h"

#include "printing/DailyRegister.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrilo::printing {

QString makeDailyRegister(PanelContext& context, QWidget* parent, QDate day)
{
    const QDir folder(QDir(context.programFolder).filePath(QStringLiteral("Registri")));
    const QString path = folder.filePath(dailyRegisterFileName(day));
    if (QFileInfo::exists(path)
        && !context.dialogs.askYesNo(parent, kProductName,
                                     QStringLiteral("Il registro giornaliero del %1 esiste già: vuoi crearlo di nuovo ?")
                                         .arg(day.toString(kDateFormat)))) {
        return {};
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);   // a busy day takes a second or two
    const DailyRegister daily = collectDailyRegister(context.workbook(), day);
    QString problem = QDir().mkpath(folder.path()) ? writeDailyRegister(daily, path)
                                                   : QStringLiteral("la cartella %1 non si può creare").arg(folder.path());
    QGuiApplication::restoreOverrideCursor();
    if (!problem.isEmpty()) {
        context.dialogs.message(parent, kProductName, QStringLiteral("ERRORE: Il registro giornaliero non è stato scritto: %1.").arg(problem),
                                MessageIcon::Stop);
        return {};
    }
    if (!context.desktop.openDocument(path))
        context.dialogs.message(parent, kProductName,
                                QStringLiteral("Il registro giornaliero è stato scritto in %1, ma su questo computer manca un "
                                               "programma per leggere i file PDF.")
                                    .arg(QDir::toNativeSeparators(path)),
                                MessageIcon::Information);
    return path;
}

DailyRegisterWindow::DailyRegisterWindow(PanelContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("DailyRegister"));
    setWindowTitle(QStringLiteral("Registro giornaliero"));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Scegliere il giorno del registro:"));
    m_calendar = new QCalendarWidget;
    m_calendar->setObjectName(QStringLiteral("dailyRegisterDay"));
    m_calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setSelectedDate(context.clock.now().date());
    caption->setBuddy(m_calendar);
    layout->addWidget(caption);
    layout->addWidget(m_calendar);
    auto* buttons = new QDialogButtonBox;
    auto* make = buttons->addButton(QStringLiteral("&Crea"), QDialogButtonBox::AcceptRole);
    make->setObjectName(QStringLiteral("makeDailyRegister"));
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancelDailyRegister"));
    layout->addWidget(buttons);
    connect(make, &QPushButton::clicked, this, [this] {
        if (!makeDailyRegister(m_context, this, m_calendar->selectedDate()).isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

} // namespace quadrilo::printing
