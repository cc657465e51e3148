// Helpers for tests that print through the private scheduler or write PDFs: the job list,
// and the text of PDF pages placed back on the window.
#pragma once

#include <QPageLayout>
#include <QPointF>
#include <QRect>

#include <algorithm>

#include "sheet.h"
#include "sheet_pdf.h"

#include <QFuture>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtDebug>
#include <QtTest>

namespace {

struct Job {
    int id = 0;
    QString state;
    QString name;
};

// What a step of the print service answered, once it has; a step that gives no answer
// within a minute fails the test.
template <typename T>
T answerOf(QFuture<T> future)
{
    if (QTest::qWaitFor([&future] { return future.isFinished(); }, 60000) && future.resultCount() > 0)
        return future.result();
    QTest::qFail("the print service's step gave no answer", __FILE__, __LINE__);
    return T();
}

inline QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString cupsDir()
{
    return qEnvironmentVariable("KOLVARA_CUPS_DIR");
}

// The scheduler's job list, oldest first, titles of finished jobs included.
inline QList<Job> schedulerJobs()
{
    const QString csv = runTool(qEnvironmentVariable("KOLVARA_CUPS_SCRIPT"),
                                {QStringLiteral("jobs"), cupsDir()});
    QList<Job> jobs;
    const QStringList lines = csv.split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) { // line 0 is the header
        const QString &line = lines[i];
        const qsizetype first = line.indexOf(u',');
        const qsizetype second = line.indexOf(u',', first + 1);
        if (first < 0 || second < 0)
            continue;
        Job job;
        job.id = line.left(first).toInt();
        job.state = line.mid(first + 1, second - first - 1);
        job.name = line.mid(second + 1);
        if (job.name.size() >= 2 && job.name.startsWith(u'"') && job.name.endsWith(u'"'))
            job.name = job.name.mid(1, job.name.size() - 2);
        jobs.append(job);
    }
    return jobs;
}

// The document the scheduler's printer kept for job `id`.
inline QString keptPdf(int id) { return cupsDir() + QStringLiteral("/out/job-%1.pdf").arg(id); }

struct TextBox {
    QString text;
    QRectF box; // points, origin at the page's top-left corner
};

// The words of `pdf`, or of its page `page` (counted from 1) when given.
inline QList<TextBox> pdfWords(const QString &pdf, int page = 0)
{
    QStringList arguments{QStringLiteral("-bbox")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    const QString html = runTool(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<TextBox> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({m.captured(5), QRectF(topLeft, bottomRight)});
    }
    return words;
}

// Text of a printed page placed back on the sheet: each character of the PDF's text layer
// at the sheet pixel where it was painted.
struct PrintedChar {
    QChar c;
    QPointF at;
};

inline QList<PrintedChar> printedChars(const QString &pdf, int page, const QPageLayout &layout)
{
    const kolvara::PagePlacement place = kolvara::placeOnPaper(paperOf(layout));
    QList<PrintedChar> chars;
    for (const TextBox &word : pdfWords(pdf, page)) {
        const QRectF &box = word.box;
        for (qsizetype i = 0; i < word.text.size(); ++i) {
            const qreal cx = box.left() + box.width() * (i + 0.5) / word.text.size();
            chars << PrintedChar{word.text[i], QPointF((cx - place.offsetX) / place.scaleX,
                                                       (box.center().y() - place.offsetY) / place.scaleY)};
        }
    }
    return chars;
}

// The numbers printed inside one problem's area: upper, lower and answer lines.
inline QStringList printedProblem(const QList<PrintedChar> &chars, const QRect &area)
{
    QString lines[3];
    const int lineHeight = area.height() / 3;
    QList<PrintedChar> inside;
    for (const PrintedChar &pc : chars)
        if (area.contains(pc.at.toPoint()) && pc.c.isDigit())
            inside << pc;
    std::sort(inside.begin(), inside.end(), [](const PrintedChar &a, const PrintedChar &b) { return a.at.x() < b.at.x(); });
    for (const PrintedChar &pc : inside)
        lines[std::clamp(int(pc.at.y() - area.top()) / lineHeight, 0, 2)] += pc.c;
    return {lines[0], lines[1], lines[2]};
}

inline int pdfPageCount(const QString &pdf)
{
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace
