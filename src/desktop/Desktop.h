#pragma once

// What the program asks of the desktop: open a file or a web address with the
// default program, and tell the time.

#include <QDateTime>
#include <QString>

namespace quadrilo {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens the file with its default program. False when it surely cannot:
    // no such file, or no program for its kind on this computer.
    virtual bool openDocument(const QString& path) = 0;
    // Opens the address in the default browser. The outcome is not reported.
    virtual void openWebPage(const QString& address) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class QtDesktop final : public Desktop {
public:
    bool openDocument(const QString& path) override;
    void openWebPage(const QString& address) override;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace quadrilo
