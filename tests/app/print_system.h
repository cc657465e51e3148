// Helpers for tests that print through the private scheduler: its job list and the
// text of the documents its printer keeps.
#pragma once

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtDebug>

namespace {

struct Job {
    int id = 0;
    QString state;
    QString name;
};

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

inline QList<TextBox> pdfWords(const QString &pdf)
{
    const QString html = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
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

}  // namespace
