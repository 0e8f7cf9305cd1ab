#pragma once

// The window of version notes and usage rules.

#include <QWidget>

class QGroupBox;

namespace quadrilo {

class Form4 final : public QWidget {
    Q_OBJECT
public:
    explicit Form4(QWidget* parent = nullptr);

    // Shows the window without blocking the others; the frame of usage rules
    // shown or hidden.
    void showNotes(bool withUsageRules);
    QGroupBox* usageRulesFrame() const { return m_rules; }  // Frame1

protected:
    // Closing only hides the window.
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* m_rules = nullptr;
};

} // namespace quadrilo
