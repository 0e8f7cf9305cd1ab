#pragma once

// Every message box, Yes/No question, input box and file dialog of the program
// goes through this interface, so that tests can script the answers.

#include <QString>

#include <optional>

class QWidget;

namespace quadrilo {

enum class MessageIcon { None, Information, Warning, Stop };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A box with one OK button. An empty title shows the program's name.
    virtual void message(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) = 0;
    // A box with the buttons Sì and No; true for Sì.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon = MessageIcon::None) = 0;
    // A prompt with one line of input; nullopt when cancelled.
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& title, const QString& prompt,
                                            const QString& initialText = {}) = 0;
    // The chosen file, or "" when cancelled. filter as QFileDialog takes it.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter) = 0;
};

} // namespace quadrilo
