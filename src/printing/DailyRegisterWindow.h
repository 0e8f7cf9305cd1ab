#pragma once

// "Registro giornaliero" of the printing panel: a day picked from a calendar,
// its daily register written under Registri/ in the program folder and opened
// with the default viewer.

#include "desktop/PanelContext.h"

#include <QDialog>

class QCalendarWidget;

namespace quadrilo::printing {

// Writes the daily register of day into Registri/ (asking before it replaces
// one) and opens it. The path written, or "" when nothing was (told).
QString makeDailyRegister(PanelContext& context, QWidget* parent, QDate day);

class DailyRegisterWindow final : public QDialog {
    Q_OBJECT
public:
    explicit DailyRegisterWindow(PanelContext& context, QWidget* parent = nullptr);

private:
    PanelContext& m_context;
    QCalendarWidget* m_calendar = nullptr;
};

} // namespace quadrilo::printing
