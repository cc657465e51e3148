// What the print-run tests read back from printed pages: the problems on screen, and the
// same problems found again on a page of a PDF.
#pragma once

#include <QPageLayout>
#include <QRegularExpression>
#include <QtTest>

#include "form_kolvara.h"
#include "print_titles.h"
#include "tessolin.h"

#include "../print_system.h"

namespace {

const QString ProblemTitle = QStringLiteral("Kolvara") + QString::fromUtf8(problemPageSuffix);
const QString AnswerTitle = QStringLiteral("Kolvara") + QString::fromUtf8(answerPageSuffix);

// One problem as the sheet shows it: "upper sign lower = answer-or-blank".
inline QString describe(const TTessolin *p)
{
    const int a = p->ValueLine1_100() * 100 + p->ValueLine1_10() * 10 + p->ValueLine1_1();
    const int b = p->ValueLine2_100() * 100 + p->ValueLine2_10() * 10 + p->ValueLine2_1();
    return QStringLiteral("%1%2%3=%4").arg(a).arg(p->Sign()).arg(b).arg(p->ShowAnswer() ? QStringLiteral("shown") : QString());
}

// The same for each problem of a printed page.
inline QStringList describe(const kolvara::Sheet &sheet)
{
    QStringList out;
    for (const kolvara::SheetProblem &p : sheet.problems)
        out << QStringLiteral("%1=%2")
                   .arg(QString::fromStdString(kolvara::problemText(p)))
                   .arg(sheet.answers ? QStringLiteral("shown") : QString());
    return out;
}

inline QStringList sheetOf(const TFormKolvara &form)
{
    QStringList out;
    for (int c = 1; const TTessolin *p = form.problemControl(c); ++c)
        out << describe(p);
    return out;
}

inline QList<QRect> problemAreas(const TFormKolvara &form)
{
    QList<QRect> areas;
    for (int c = 1; const TTessolin *p = form.problemControl(c); ++c)
        areas << p->geometry();
    return areas;
}

// Page `page` of `pdf` shows the problems `screen` (additions) at `areas`, with their sums
// only when `answers`.
inline void verifyPrintedProblems(const QString &pdf, int page, const QPageLayout &layout,
                                  const QList<QRect> &areas, const QStringList &screen, bool answers)
{
    const QList<PrintedChar> chars = printedChars(pdf, page, layout);
    for (int i = 0; i < areas.size(); ++i) {
        const QStringList printed = printedProblem(chars, areas[i]);
        const QStringList parts = screen[i].split(QRegularExpression(QStringLiteral("[+=]")));
        QCOMPARE(printed[0], parts[0]);
        QCOMPARE(printed[1], parts[1]);
        QCOMPARE(printed[2], answers ? QString::number(parts[0].toInt() + parts[1].toInt()) : QString());
    }
}

// Records what a print run asks of the print system, and can fail a chosen step.

}  // namespace
