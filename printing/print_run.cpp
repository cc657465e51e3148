#include "print_run.h"

PrintRun::PrintRun(PrintService &service, Steps steps, QObject *parent)
    : QObject(parent), service_(service), steps_(std::move(steps))
{
}

void PrintRun::start()
{
    if (running_)
        return;
    running_ = true;
    abandoned_ = false;
    whenReady(service_.prepareLandscape(), this, [this](const QString &error) {
        if (!error.isEmpty() || abandoned_)
            return end(error, false);
        if (steps_.ready && !steps_.ready())
            return end(QString(), false);
        sendPage(!steps_.problems);
    });
}

void PrintRun::sendPage(bool answers)
{
    const QString &title = answers ? steps_.answerTitle : steps_.problemTitle;
    whenReady(service_.printSheet(steps_.page(answers), title), this, [this, answers](const QString &error) {
        if (!error.isEmpty() || abandoned_)
            return end(error, false);
        if (!answers && steps_.answers)
            return sendPage(true);
        const QString finishError = service_.finishRun();
        end(finishError, finishError.isEmpty());
    });
}

void PrintRun::abandon()
{
    if (!running_ || abandoned_)
        return;
    abandoned_ = true;
    service_.abandon();
}

void PrintRun::end(const QString &error, bool completed)
{
    running_ = false;
    // The notice belongs to a run whose pages all went out.
    const QString notice = completed ? service_.runNotice() : QString();
    emit finished(completed, error, notice);
}
