// The main window as the window tests drive it: a fixed clock, errors collected instead of
// shown, clicks on named buttons.
#pragma once

#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_kolvara.h"
#include "tessolin.h"
#include "form_controls.h"

namespace {

struct Window {
    std::uint32_t now = 1000;
    QStringList errors;
    // Called whenever the window reads the clock, as its problem table does once a fill.
    std::function<void()> onClock;
    // The answer to a message about printed pages lost later; the message goes with the errors.
    TFormKolvara::LostPagesChoice lostPagesChoice = TFormKolvara::LostPagesChoice::Close;
    TFormKolvara form;

    // Without a print service the window prints through the system's print system.
    explicit Window(PrintService *service = nullptr)
        : form(
              [this] {
                  if (onClock)
                      onClock();
                  return now += 17;
              },
              service)
    {
        form.setErrorReporter([this](const QString &message) { errors << message; });
        form.setLostPagesAsker([this](const QString &message, bool) { return errors << message, lostPagesChoice; });
        form.show();
    }
    QRadioButton *radio(const char *name) { return form.findChild<QRadioButton *>(QLatin1String(name)); }
    // Clicks each button, and waits for a print run or set-up it starts to end.
    void click(std::initializer_list<const char *> names)
    {
        for (const char *name : names) {
            QTest::mouseClick(form.findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton, {},
                              QPoint(5, 8));
            waitForPrintService();
        }
    }
    void print()
    {
        QTest::mouseClick(FormControls(form).ButtonPrintOut, Qt::LeftButton);
        waitForPrintService();
    }
    // Every wait for the print service ends within its bound; a minute means it never would.
    bool waitForPrintService() { return QTest::qWaitFor([this] { return !form.printServiceBusy(); }, 60000); }
    QList<TTessolin *> problems() const { return form.findChildren<TTessolin *>(Qt::FindDirectChildrenOnly); }
    // Digits and sign of every problem on the sheet, by name.
    QStringList sheet() const
    {
        QStringList out;
        for (int c = 1; TTessolin *p = form.problemControl(c); ++c)
            out << QStringLiteral("%1:%2%3%4%5%6%7%8")
                       .arg(p->objectName())
                       .arg(p->ValueLine1_100())
                       .arg(p->ValueLine1_10())
                       .arg(p->ValueLine1_1())
                       .arg(p->Sign())
                       .arg(p->ValueLine2_100())
                       .arg(p->ValueLine2_10())
                       .arg(p->ValueLine2_1());
        return out;
    }
    // As after a completed print run: panel open, buttons shown, no answers being built.
    bool usable()
    {
        const FormControls ui(form);
        return ui.GroupBoxStart->isVisible() && ui.ButtonPrintOut->isVisible() && ui.ButtonPrinterSetup->isVisible() &&
               ui.ButtonKoushin->isVisible() && !ui.ButtonShokiSettei->isVisible() && form.answerPass() == 0;
    }
};

}  // namespace
