#pragma once

// Long work (a scanner search, a page at high resolution) run off the
// window's thread while a progress box with Annulla shows: the windows keep
// drawing and the user can stop it.

#include "desktop/PanelContext.h"
#include "desktop/Scanner.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

namespace quadrilo::scan {

// Runs work on a thread of its own and waits for it with the box showing;
// the progress work reports moves the box, Annulla makes it return false.
// Work that cannot stop (a search) gets no Annulla.
template <typename Result>
Result runInBackground(QWidget* parent, const QString& text, const std::function<Result(const ScanProgress&)>& work,
                       bool cancellable = true)
{
    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{0};
    std::atomic<bool> finished{false};
    Result result{};
    QProgressDialog box(text, cancellable ? QStringLiteral("Annulla") : QString(), 0, cancellable ? 1000 : 0, parent);
    box.setWindowTitle(QStringLiteral("Scanner"));
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setAutoReset(false);
    QObject::connect(&box, &QProgressDialog::canceled, [&] {
        cancelled = true;
        box.setLabelText(QStringLiteral("Annullamento in corso..."));
    });
    std::thread worker([&] {
        result = work([&](double done) {
            permille = static_cast<int>(done * 1000);
            return !cancelled.load();
        });
        finished = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (box.wasCanceled() && !cancelled) {
            cancelled = true;
            box.setLabelText(QStringLiteral("Annullamento in corso..."));
        }
        box.setValue(permille.load());
        if (finished)
            loop.quit();
    });
    poll.start(30);
    loop.exec();
    worker.join();
    return result;
}

} // namespace quadrilo::scan
