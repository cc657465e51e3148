// One print run as a job: the problem page and, when wanted, the answer page, each sent
// as a job of its own once the step before it has answered. The window stays free
// meanwhile; finished() tells it the outcome, once.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "print_service.h"
#include "sheet.h"

class PrintRun : public QObject {
    Q_OBJECT

public:
    struct Steps {
        // Called once the service is ready, before the first page: false ends the run
        // without a message (the caller has said why itself).
        std::function<bool()> ready;
        // The page to print: the problems, or the same problems with their answers.
        std::function<kolvara::Sheet(bool answers)> page;
        QString problemTitle, answerTitle;
        // Which pages go out; at least one of them.
        bool problems = true, answers = true;
    };

    PrintRun(PrintService &service, Steps steps, QObject *parent = nullptr);

    // Starts the run; with a service that answers at once, it has finished on return.
    void start();
    // Gives up the step under way and sends nothing further; finished() follows.
    void abandon();
    bool isRunning() const { return running_; }

signals:
    // `completed`: every page went out, and `notice` is what the service has to say
    // about them. Otherwise `error` says why not, or is empty when ready() said no.
    void finished(bool completed, const QString &error, const QString &notice);

private:
    void sendPage(bool answers);
    void end(const QString &error, bool completed);

    PrintService &service_;
    Steps steps_;
    bool running_ = false;
    bool abandoned_ = false;
};
