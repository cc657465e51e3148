// What the window needs of a print system, and how it waits for it without being held.
#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPageLayout>
#include <QPromise>
#include <QString>

#include <memory>
#include <type_traits>
#include <utility>

#include "sheet.h"
#include "sheet_pdf.h"

class QWidget;

// Each step answers with the message the user sees, an empty string meaning success. A
// step may answer at once (a ready future) or later, from a question to the service.
class PrintService : public QObject {
    Q_OBJECT

public:
    ~PrintService() override = default;
    // Starts a run.
    virtual QFuture<QString> prepareLandscape() = 0;
    // Prints one page of `sheet` as one job named `jobTitle`.
    virtual QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &jobTitle) = 0;
    // Ends a run whose pages all went out; a service that collects pages delivers them now.
    virtual QString finishRun() { return {}; }
    // Shows the printer set-up; answers once it is closed, or with why it cannot open.
    virtual QFuture<QString> setup(QWidget *parent) = 0;
    // Something the user should know about the run that just completed (the jobs wait in
    // a stopped queue, say); empty when there is nothing. Asked once at the end of a run.
    virtual QString runNotice() { return {}; }
    // Gives up what the service is waiting for (a run's step, or the set-up before its
    // dialog opens): the step answers at once and nothing of it reaches the printer later.
    virtual void abandon() {}
    // The paper a PDF of the sheet goes on, landscape.
    virtual QPageLayout pdfLayout() { return landscapeLayout(QPageSize(QPageSize::A4)); }

signals:
    // Pages the service took were not printed after all (their jobs were aborted or
    // cancelled); the message names them, and `pages` are those pages as they went out,
    // so they can be saved or printed again whatever the window shows by then.
    void pageFailed(const QString &message, const QList<kolvara::Sheet> &pages);
};

// Calls `then` with the result of `future` on `context`'s thread: at once when the result
// is already there, else once it arrives; never once `context` is gone, nor for a future
// cancelled without a result. Returns the future of what `then` returns.
template <typename T, typename F>
auto whenReady(QFuture<T> future, QObject *context, F then) -> QFuture<std::invoke_result_t<F, T>>
{
    using R = std::invoke_result_t<F, T>;
    auto promise = std::make_shared<QPromise<R>>();
    promise->start();
    const auto deliver = [promise](const QFuture<T> &done, F &call) {
        if (done.resultCount() > 0) {
            if constexpr (std::is_void_v<R>)
                call(done.result());
            else
                promise->addResult(call(done.result()));
        }
        promise->finish();
    };
    if (future.isFinished()) {
        deliver(future, then);
        return promise->future();
    }
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, deliver, then = std::move(then)]() mutable {
                         watcher->deleteLater();
                         deliver(watcher->future(), then);
                     });
    watcher->setFuture(std::move(future));
    return promise->future();
}
