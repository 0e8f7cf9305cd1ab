#pragma once

#include "desktop/Dialogs.h"

namespace quadrilo {

// Dialogs with Qt's message box, input dialog and file dialog, in Italian.
class QtDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) override;
    std::optional<QString> inputBox(QWidget* parent, const QString& title, const QString& prompt,
                                    const QString& initialText) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter) override;
};

} // namespace quadrilo
