// kolvara-sheet as scripts use it: the PDF it writes, read back with poppler-utils, and
// every way it refuses bad input without touching the target.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <set>

#include "problem_table.h"
#include "sheet.h"
#include "sheet_pdf.h"

#include "../print_system.h"

Q_DECLARE_METATYPE(kolvara::Settings)

namespace {


struct Run {
    int exitCode = -1;
    QString errors;
};

Run runSheet(const QStringList &arguments, const QStringList &prefix = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList command = prefix;
    command << QStringLiteral(KOLVARA_SHEET) << arguments;
    process.start(command.takeFirst(), command);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

// Upper, lower and answer line of each problem of a sheet the window's generator fills
// when the clock reads `state`.
QList<QStringList> generatorSheet(const kolvara::Settings &settings, std::uint32_t state, QList<QRect> &areas)
{
    kolvara::ProblemSettings model;
    kolvara::RandomSource random;
    kolvara::ProblemTable table(model, random, [state] { return state; });
    kolvara::SheetGeometry geometry;
    table.fill(settings, geometry);
    QList<QStringList> problems;
    areas.clear();
    const int perRow = geometry.ProblemsPerRow;
    const int pitch = int(kolvara::problemLeft(1, perRow) - kolvara::problemLeft(0, perRow));
    for (int c = 1; c <= table.filledProblemCount(); ++c) {
        const int row = (c - 1) / perRow, position = (c - 1) % perRow;
        areas << QRect(int(kolvara::problemLeft(position, perRow)), int(kolvara::problemTop(row)), pitch - 4, 135);
        problems << QStringList{QString::fromStdString(table.cell(c, 1)), QString::fromStdString(table.cell(c, 2)),
                                QString::fromStdString(table.cell(c, 3))};
    }
    return problems;
}

QString pageText(const QString &pdf, int page)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                 QString::number(page), pdf, QStringLiteral("-")});
}

}  // namespace

class TestKolvaraSheet : public QObject {
    Q_OBJECT

private slots:
    // The pages as the window-rendered pages were before the sheet had a painter of its own:
    // every word at the same place within half a point, once the sheet is centred on the
    // printable area (it used to sit in its top-left corner).
    void pagesKeepTheirLook_data()
    {
        QTest::addColumn<QString>("name");  // in reference_pages.txt
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("sums, A4") << QStringLiteral("a") << QStringList{QStringLiteral("--seed"), QStringLiteral("1000")};
        QTest::newRow("differences, letter")
            << QStringLiteral("b")
            << QString("--op sub --upper naa --lower 0na --carry nmy --paper letter --seed 4321").split(u' ');
        QTest::newRow("one digit, no boxes")
            << QStringLiteral("c") << QString("--upper 00a --lower 00a --no-boxes --seed 77").split(u' ');
    }
    void pagesKeepTheirLook()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("sheet.pdf"));
        QCOMPARE(runSheet(arguments + QStringList{QStringLiteral("-o"), pdf}).exitCode, 0);
        const bool letter = arguments.contains(QStringLiteral("letter"));
        const kolvara::PagePlacement place = kolvara::placeOnPaper(letter ? kolvara::letterPaper() : kolvara::a4Paper());
        const qreal oldOrigin = 37 * 0.75;  // the printable area's corner in whole dots at 96 an inch
        const QPointF centring(place.offsetX - oldOrigin, place.offsetY - oldOrigin);

        QFile file(QFINDTESTDATA("reference_pages.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QList<TextBox> expected[2];
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u' ');
            if (f[0] == name)
                expected[f[1].toInt() - 1] << TextBox{f.mid(6).join(u' '), QRectF(QPointF(f[2].toDouble(), f[3].toDouble()),
                                                                                 QPointF(f[4].toDouble(), f[5].toDouble()))};
        }
        for (int page = 1; page <= 2; ++page) {
            QList<TextBox> words = pdfWords(pdf, page);
            QCOMPARE(words.size(), expected[page - 1].size());
            for (const TextBox &word : expected[page - 1]) {
                const QRectF want = word.box.translated(centring);
                const auto match = std::find_if(words.begin(), words.end(), [&](const TextBox &w) {
                    return w.text == word.text && qAbs(w.box.left() - want.left()) <= 0.5 &&
                           qAbs(w.box.top() - want.top()) <= 0.5 && qAbs(w.box.right() - want.right()) <= 0.5 &&
                           qAbs(w.box.bottom() - want.bottom()) <= 0.5;
                });
                QVERIFY2(match != words.end(), qPrintable(QStringLiteral("page %1: %2 at %3,%4")
                                                              .arg(page).arg(word.text).arg(want.left()).arg(want.top())));
                words.erase(match);
            }
        }
    }

    // Sheet k is the generator's own sheet for state S + k, on its problem page and,
    // answered, on its answer page; the same seed gives the same file content.
    void sheetsAreTheGeneratorsOwn_data()
    {
        using namespace kolvara;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Settings>("settings");  // what the arguments ask for
        QTest::addColumn<int>("sheets");
        QTest::addColumn<QString>("pageSize");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("sums, A4") << QStringList{QStringLiteral("--sheets"), QStringLiteral("3")} << Settings{} << 3
                                  << QStringLiteral("842 x 595 pts (A4)") << QPageSize::A4;
        QTest::newRow("differences that borrow, letter")
            << QStringList{QStringLiteral("--op"),    QStringLiteral("sub"), QStringLiteral("--upper"),
                           QStringLiteral("naa"),     QStringLiteral("--lower"), QStringLiteral("0na"),
                           QStringLiteral("--carry"), QStringLiteral("nmy"), QStringLiteral("--paper"),
                           QStringLiteral("letter"),  QStringLiteral("--sheets"), QStringLiteral("2")}
            << Settings{Rest, All, All, Zero, Rest, All, Ari, Konzai, Nashi, 1} << 2
            << QStringLiteral("792 x 612 pts (letter)") << QPageSize::Letter;
        QTest::newRow("one digit, seven a row, no boxes")
            << QStringList{QStringLiteral("--upper"), QStringLiteral("00a"), QStringLiteral("--lower"),
                           QStringLiteral("00a"), QStringLiteral("--no-boxes")}
            << Settings{Zero, Zero, All, Zero, Zero, All, Konzai, Konzai, Konzai, 0} << 1
            << QStringLiteral("842 x 595 pts (A4)") << QPageSize::A4;
    }
    void sheetsAreTheGeneratorsOwn()
    {
        QFETCH(QStringList, arguments);
        QFETCH(kolvara::Settings, settings);
        QFETCH(int, sheets);
        QFETCH(QString, pageSize);
        QFETCH(QPageSize::PageSizeId, paper);
        QTemporaryDir folder;
        const QString first = folder.filePath(QStringLiteral("first.pdf"));
        const QString again = folder.filePath(QStringLiteral("again.pdf"));
        const std::uint32_t seed = 86'399'990;
        const QStringList common = arguments + QStringList{QStringLiteral("--seed"), QString::number(seed)};
        const Run run = runSheet(common + QStringList{QStringLiteral("-o"), first});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QCOMPARE(runSheet(common + QStringList{QStringLiteral("-o"), again}).exitCode, 0);

        QCOMPARE(pdfPageCount(first), 2 * sheets);
        QVERIFY(runTool(QStringLiteral("pdfinfo"), {first}).contains(pageSize));

        const QPageLayout layout = landscapeLayout(QPageSize(paper));
        for (int k = 0; k < sheets; ++k) {
            QList<QRect> areas;
            const QList<QStringList> expected = generatorSheet(settings, seed + std::uint32_t(k), areas);
            for (int answers = 0; answers < 2; ++answers) {
                const int page = 2 * k + answers + 1;
                // The full-width space of the mark comes back as a break between words.
                const QString mark = QStringLiteral("No\\.%1\\s+%2\\s*$").arg(k + 1).arg(seed + std::uint32_t(k));
                QVERIFY2(pageText(first, page).contains(QRegularExpression(mark)), qPrintable(mark));
                QCOMPARE(pageText(again, page), pageText(first, page));
                const QList<PrintedChar> chars = printedChars(first, page, layout);
                for (int i = 0; i < expected.size(); ++i) {
                    const QStringList printed = printedProblem(chars, areas[i]);
                    QCOMPARE(printed[0], expected[i][0]);
                    QCOMPARE(printed[1], expected[i][1]);
                    QCOMPARE(printed[2], answers ? expected[i][2] : QString());
                }
            }
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString o = QStringLiteral("-o");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), o} << QStringLiteral("unknown option");
        QTest::newRow("missing -o") << QStringList{QStringLiteral("--sheets"), QStringLiteral("2")}
                                    << QStringLiteral("missing -o");
        QTest::newRow("pattern too short") << QStringList{QStringLiteral("--upper"), QStringLiteral("0a"), o}
                                           << QStringLiteral("bad pattern");
        QTest::newRow("pattern letter") << QStringList{QStringLiteral("--carry"), QStringLiteral("ymx"), o}
                                        << QStringLiteral("bad pattern");
        QTest::newRow("no sheets") << QStringList{QStringLiteral("--sheets"), QStringLiteral("0"), o}
                                   << QStringLiteral("1 to 100");
        QTest::newRow("too many sheets") << QStringList{QStringLiteral("--sheets"), QStringLiteral("101"), o}
                                         << QStringLiteral("1 to 100");
        QTest::newRow("seed past the day") << QStringList{QStringLiteral("--seed"), QStringLiteral("86400000"), o}
                                           << QStringLiteral("0 to 86399999");
        QTest::newRow("seed not a number") << QStringList{QStringLiteral("--seed"), QStringLiteral("1e3"), o}
                                           << QStringLiteral("0 to 86399999");
        QTest::newRow("no problem at all")
            << QStringList{QStringLiteral("--upper"), QStringLiteral("000"), QStringLiteral("--lower"),
                           QStringLiteral("00a"), QStringLiteral("--carry"), QStringLiteral("mmy"), o}
            << QStringLiteral("一の位の繰り上がりを「あり」にはできません\nkolvara-sheet: these settings admit no problem");
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("week.pdf"));
        QFile existing(target);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("last week's sheets") > 0);
        existing.close();
        if (arguments.last() == QLatin1String("-o"))
            arguments << target;
        const Run run = runSheet(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("last week's sheets"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    }

    // A folder that cannot be written: status 1, the old file as it was, nothing beside it.
    void folderThatCannotBeWritten()
    {
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("week.pdf"));
        QFile existing(target);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("kept") > 0);
        existing.close();
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
        // Permissions do not hold back root: run as nobody then.
        const QStringList asNobody = geteuid() == 0 ? QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                                                  QStringLiteral("--regid=65534"),
                                                                  QStringLiteral("--clear-groups")}
                                                    : QStringList{};
        const Run run = runSheet({QStringLiteral("-o"), target}, asNobody);
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("cannot write")), qPrintable(run.errors));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("week.pdf")});
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("kept"));
    }

    void distinct_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<bool>("enough");
        // One-digit sums that always carry: 45 problems for 28 places.
        QTest::newRow("enough") << QStringList{QStringLiteral("--upper"), QStringLiteral("00n"), QStringLiteral("--lower"),
                                               QStringLiteral("00n"), QStringLiteral("--carry"), QStringLiteral("mmy")}
                                << true;
        QTest::newRow("too few") << QStringList{QStringLiteral("--upper"), QStringLiteral("00n"), QStringLiteral("--lower"),
                                                QStringLiteral("000")}
                                 << false;
    }
    void distinct()
    {
        QFETCH(QStringList, settings);
        QFETCH(bool, enough);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("drill.pdf"));
        const Run run = runSheet(settings + QStringList{QStringLiteral("--distinct"), QStringLiteral("--sheets"),
                                                        QStringLiteral("4"), QStringLiteral("--no-answers"),
                                                        QStringLiteral("-o"), pdf});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(pdf), 4);
        QCOMPARE(run.errors.contains(QStringLiteral("repeats will occur")), !enough);
        if (!enough) {
            QVERIFY2(run.errors.contains(QStringLiteral("9通り")), qPrintable(run.errors));
            return;
        }
        const QPageLayout layout = landscapeLayout(QPageSize(QPageSize::A4));
        for (int page = 1; page <= 4; ++page) {
            const QList<PrintedChar> chars = printedChars(pdf, page, layout);
            std::set<std::pair<QString, QString>> problems;
            for (int c = 0; c < 28; ++c) {
                const QStringList printed =
                    printedProblem(chars, QRect(32 + 143 * (c % 7), 48 + 176 * (c / 7), 139, 135));
                QVERIFY(!printed[0].isEmpty() && !printed[1].isEmpty());
                problems.insert({printed[0], printed[1]});
            }
            QCOMPARE(problems.size(), std::size_t(28));
        }
    }
};

QTEST_GUILESS_MAIN(TestKolvaraSheet)
#include "tst_kolvara_sheet.moc"
