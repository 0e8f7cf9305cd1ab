#include "desktop/QtDialogs.h"

#include "desktop/PanelContext.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quadrilo {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString boxTitle(const QString& title)
{
    return title.isEmpty() ? kProductName : title;
}

} // namespace

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), boxTitle(title), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), boxTitle(title), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::inputBox(QWidget* parent, const QString& title, const QString& prompt,
                                           const QString& initialText)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(boxTitle(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(initialText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annulla"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtDialogs::openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, boxTitle(title), folder, filter);
}

} // namespace quadrilo
