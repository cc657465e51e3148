// kolvara-sheet as scripts use it: the PDF it writes, read back with poppler-utils, the
// odd targets it writes into, and every way it refuses bad input without touching the
// target; and kolvara started where it cannot open its window.
#include <QDir>
#include <QFile>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTemporaryDir>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "problem_table.h"
#include "sheet.h"
#include "sheet_pdf.h"
#include "sheet_request.h"
#include "worksheet.h"

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
QList<QStringList> generatorSheet(const kolvara::Settings &settings, std::uint32_t state, bool distinct, QList<QRect> &areas)
{
    kolvara::ProblemSettings model;
    kolvara::RandomSource random;
    kolvara::ProblemTable table(model, random, [state] { return state; });
    kolvara::SheetGeometry geometry;
    table.fill(settings, geometry);
    if (distinct)
        table.makeDistinct(settings);
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

// The names in a folder as the system spells them, in byte order.
QList<QByteArray> rawEntries(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *entries = ::opendir(folder)) {
        while (const dirent *entry = ::readdir(entries))
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                names << entry->d_name;
        ::closedir(entries);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray rawContent(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    return file.readAll();
}

// A number as printed, in thousandths.
qint64 thousandths(const QString &number)
{
    const QStringList parts = number.split(u'.');
    return parts[0].toLongLong() * 1000 + (parts.size() > 1 ? parts[1].leftJustified(3, u'0').toLongLong() : 0);
}

// The digit of a printed number in a place: 0 the smallest of `decimals` decimal places.
int digitAt(const QString &number, int place, int decimals)
{
    const qsizetype point = number.indexOf(u'.');
    const QString whole = point < 0 ? number : number.left(point), fraction = point < 0 ? QString() : number.mid(point + 1);
    const int index = place < decimals ? decimals - 1 - place : int(whole.size()) - 1 - (place - decimals);
    const QString &digits = place < decimals ? fraction : whole;
    return index >= 0 && index < digits.size() ? digits[index].digitValue() : 0;
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
    // printable area (it used to sit in its top-left corner). The problems are left out:
    // their signs now stand by their own numbers.
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
        // The settings' codes as they always stood on the problem page too.
        QCOMPARE(runSheet(arguments + QStringList{QStringLiteral("--status-lines"), QStringLiteral("-o"), pdf}).exitCode, 0);
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
        const auto problemWord = [](const TextBox &w) {
            return std::all_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isDigit() || QStringLiteral("+-.()×").contains(c); });
        };
        for (int page = 1; page <= 2; ++page) {
            QList<TextBox> words = pdfWords(pdf, page);
            words.removeIf(problemWord);
            expected[page - 1].removeIf(problemWord);
            // Answer pages now say what they are.
            QCOMPARE(words.removeIf([](const TextBox &w) { return w.text == QStringLiteral("こたえ"); }), page == 2 ? 1 : 0);
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

    // Sheet k is the generator's own sheet for the clock reading S + k (wrapped at midnight),
    // named by its mark, on its problem page and, answered, on its answer page; the same
    // seed gives the same file content.
    void sheetsAreTheGeneratorsOwn_data()
    {
        using namespace kolvara;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Settings>("settings");  // what the arguments ask for
        QTest::addColumn<bool>("distinct");      // a thousand problems or fewer: no repeats
        QTest::addColumn<int>("sheets");
        QTest::addColumn<QString>("pageSize");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("sums, A4") << QStringList{QStringLiteral("--sheets"), QStringLiteral("3")} << Settings{} << false << 3
                                  << QStringLiteral("842 x 595 pts (A4)") << QPageSize::A4;
        QTest::newRow("differences that borrow, letter")
            << QStringList{QStringLiteral("--op"),    QStringLiteral("sub"), QStringLiteral("--upper"),
                           QStringLiteral("naa"),     QStringLiteral("--lower"), QStringLiteral("0na"),
                           QStringLiteral("--carry"), QStringLiteral("nmy"), QStringLiteral("--paper"),
                           QStringLiteral("letter"),  QStringLiteral("--sheets"), QStringLiteral("2")}
            << Settings{Rest, All, All, Zero, Rest, All, Ari, Konzai, Nashi, 1} << false << 2
            << QStringLiteral("792 x 612 pts (letter)") << QPageSize::Letter;
        QTest::newRow("one digit, seven a row, no boxes")
            << QStringList{QStringLiteral("--upper"), QStringLiteral("00a"), QStringLiteral("--lower"),
                           QStringLiteral("00a"), QStringLiteral("--no-boxes")}
            << Settings{Zero, Zero, All, Zero, Zero, All, Konzai, Konzai, Konzai, 0} << true << 1
            << QStringLiteral("842 x 595 pts (A4)") << QPageSize::A4;
    }
    void sheetsAreTheGeneratorsOwn()
    {
        QFETCH(QStringList, arguments);
        QFETCH(kolvara::Settings, settings);
        QFETCH(bool, distinct);
        QFETCH(int, sheets);
        QFETCH(QString, pageSize);
        QFETCH(QPageSize::PageSizeId, paper);
        QTemporaryDir folder;
        const QString first = folder.filePath(QStringLiteral("first.pdf"));
        const QString again = folder.filePath(QStringLiteral("again.pdf"));
        // Three sheets run past midnight, where the clock starts again at 0.
        const std::uint32_t seed = 86'399'998;
        const QStringList common = arguments + QStringList{QStringLiteral("--seed"), QString::number(seed)};
        const Run run = runSheet(common + QStringList{QStringLiteral("-o"), first});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QCOMPARE(runSheet(common + QStringList{QStringLiteral("-o"), again}).exitCode, 0);

        QCOMPARE(pdfPageCount(first), 2 * sheets);
        QVERIFY(runTool(QStringLiteral("pdfinfo"), {first}).contains(pageSize));

        const QPageLayout layout = landscapeLayout(QPageSize(paper));
        for (int k = 0; k < sheets; ++k) {
            QList<QRect> areas;
            const std::uint32_t reading = (seed + std::uint32_t(k)) % 86'400'000;
            const QList<QStringList> expected = generatorSheet(settings, reading, distinct, areas);
            for (int answers = 0; answers < 2; ++answers) {
                const int page = 2 * k + answers + 1;
                // The full-width space of the mark comes back as a break between words.
                const QString mark = QStringLiteral("No\\.%1\\s+%2\\s*$").arg(k + 1).arg(reading);
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

    // Command lines as they come, and odd targets: each with the exit status it gives, what
    // it says (in its messages, or in what it wrote) and what stands in
    // the folder afterwards. Whatever it wrote anywhere is a whole PDF; what was there
    // before keeps its kind, and a refused run leaves the old file as it was.
    void commandLines_data()
    {
        QTest::addColumn<QString>("before");            // week.pdf: file, none, folder, fifo or loop
        QTest::addColumn<QStringList>("command");        // %1 the folder; a last -o gets week.pdf
        QTest::addColumn<QStringList>("environment");    // NAME=value sets, NAME alone removes
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");               // a pattern
        QTest::addColumn<QStringList>("after");          // names in the folder, a character a byte
        const auto words = [](const char *line) { return QString::fromUtf8(line).split(u' '); };
        const QString file = QStringLiteral("file"), none = QStringLiteral("none");
        const QStringList week{QStringLiteral("week.pdf")}, nothing;
        const QString firstSheet = QStringLiteral("No\\.1\\s");
        QTest::newRow("unknown option") << file << words("kolvara-sheet --colour -o") << nothing << 2
                                        << QStringLiteral("unknown option: --colour") << week;
        QTest::newRow("a long option of one letter") << file << words("kolvara-sheet --x -o") << nothing << 2
                                                     << QStringLiteral("unknown option: --x\n") << week;
        // The practice is the browser's address alone.
        QTest::newRow("the address's practice") << file << words("kolvara-sheet --practice -o") << nothing << 2
                                                << QStringLiteral("知らないオプションです：--practice\nkolvara-sheet: unknown option: --practice") << week;
        QTest::newRow("the address's pupil number") << file << words("kolvara-sheet --seed 5 --no 3 -o") << nothing << 2
                                                    << QStringLiteral("unknown option: --no\n") << week;
        QTest::newRow("missing -o") << file << words("kolvara-sheet --sheets 2") << nothing << 2
                                    << QStringLiteral("missing -o") << week;
        QTest::newRow("a pattern with two points") << file << words("kolvara-sheet --upper a.n.n -o") << nothing << 2
                                                   << QStringLiteral("bad pattern") << week;
        QTest::newRow("five whole places") << file << words("kolvara-sheet --upper naaaa -o") << nothing << 2
                                           << QStringLiteral("bad pattern") << week;
        QTest::newRow("a carry point off the numbers'")
            << file << words("kolvara-sheet --upper a.nn --lower n.n --carry mm.m -o") << nothing << 2
            << QStringLiteral("point must meet") << week;
        QTest::newRow("zero-end without decimals") << file << words("kolvara-sheet --zero-end y -o") << nothing << 2
                                                   << QStringLiteral("decimals only") << week;
        QTest::newRow("a lower number always the larger")
            << file << words("kolvara-sheet --op sub --upper 00n --lower n00 -o") << nothing << 2
            << QStringLiteral("いつも引く数より小さく") << week;
        QTest::newRow("mixed, one sign impossible")
            << file << words("kolvara-sheet --op mixed --upper 0n.n --lower n0.n --carry mmm.m -o") << nothing << 2
            << QStringLiteral("ひき算：") << week;
        // Four places, a point, and both signs: the sheet as the pupil sees it.
        QTest::newRow("a short pattern, four places and decimals mixed")
            << file << words("kolvara-sheet --op mixed --upper naaa.n --lower n.n --seed 7 -o") << nothing << 0
            << QStringLiteral("No\\.1\\s+7[\\s\\S]*\\d\\.\\d") << week;
        QTest::newRow("multiplication alone") << none << words("kolvara-sheet --op mul --seed 3 -o") << nothing << 0
                                              << firstSheet << week;
        QTest::newRow("division alone") << none << words("kolvara-sheet --op div --seed 3 -o") << nothing << 0
                                        << firstSheet << week;
        QTest::newRow("a fixed digit") << none << words("kolvara-sheet --upper 1aa --lower 10a --seed 3 -o") << nothing
                                       << 0 << firstSheet << week;
        QTest::newRow("a fixed digit too many")
            << file << words("kolvara-sheet --upper 1aaaa -o") << nothing << 2 << QStringLiteral("bad pattern") << week;
        QTest::newRow("only trivial sums that carry")
            << file << words("kolvara-sheet --upper 00a --lower 00a --carry mmy --trivial y -o") << nothing << 2
            << QStringLiteral("０をたす問題（＋０、０＋）にはできません\nkolvara-sheet: no problem fits these settings: "
                              "no problem here adds 0")
            << week;
        QTest::newRow("a trivial letter") << file << words("kolvara-sheet --trivial x -o") << nothing << 2
                                          << QStringLiteral("--trivial must be y, n or m") << week;
        QTest::newRow("a step and trivial") << file << words("kolvara-sheet --step add-2 --trivial m -o") << nothing << 2
                                            << QStringLiteral("leave out --trivial") << week;
        QTest::newRow("a three-place quotient to correct")
            << file
            << words("kolvara-sheet --op div --upper aaa --lower aa --guess-fix y --remainder n --quotient-digits 3 -o")
            << nothing << 2
            << QStringLiteral("商が3けたになるのはわる数が１けたのときだけ[^\n]*\nkolvara-sheet: [^\n]*a quotient of 3 "
                              "places needs a one-place divisor")
            << week;
        QTest::newRow("pattern letter") << file << words("kolvara-sheet --carry ymx -o") << nothing << 2
                                        << QStringLiteral("bad pattern") << week;
        QTest::newRow("no sheets") << file << words("kolvara-sheet --sheets 0 -o") << nothing << 2
                                   << QStringLiteral("1 to 100") << week;
        QTest::newRow("too many sheets") << file << words("kolvara-sheet --sheets=101 -o") << nothing << 2
                                         << QStringLiteral("1 to 100") << week;
        QTest::newRow("seed past the day") << file << words("kolvara-sheet --seed 86400000 -o") << nothing << 2
                                           << QStringLiteral("0 to 86399999") << week;
        // The clock wraps at midnight: each mark is a seed that gives its sheet back.
        QTest::newRow("sheets past midnight")
            << none << words("kolvara-sheet --seed 86399999 --sheets 3 --no-answers -o") << nothing << 0
            << QStringLiteral("No\\.1\\s+86399999\\s[\\s\\S]*No\\.2\\s+0\\s[\\s\\S]*No\\.3\\s+1\\s") << week;
        QTest::newRow("seed not a number") << file << words("kolvara-sheet --seed 1e3 -o") << nothing << 2
                                           << QStringLiteral("0 to 86399999") << week;
        QTest::newRow("no problem at all")
            << file << words("kolvara-sheet --upper 000 --lower 00a --carry mmy -o") << nothing << 2
            << QStringLiteral("一の位のくり上がりを「あり」にはできません\nkolvara-sheet: no problem fits these settings: "
                              "the upper number's ones is 0, so the ones cannot always carry; nothing was written")
            << week;
        QTest::newRow("a step and a pattern") << file << words("kolvara-sheet --step add-2 --upper 0na -o") << nothing
                                              << 2 << QStringLiteral("leave out --upper") << week;
        QTest::newRow("no such step") << file << words("kolvara-sheet --step add-9 -o") << nothing << 2
                                      << QStringLiteral("no step named 'add-9'") << week;
        QTest::newRow("7 a page") << file << words("kolvara-sheet --per-page 7 -o") << nothing << 2
                                  << QStringLiteral("--per-page must be 4, 6, 8 or 12") << week;
        QTest::newRow("helper boxes too small for a pencil")
            << file << words("kolvara-sheet --op mul --upper naa --lower nn --helper-boxes --per-page 8 -o") << nothing << 2
            << QStringLiteral("--per-page 8 はこの問題では選べません（6）\nkolvara-sheet: --per-page 8 does not fit these "
                              "problems \\(choose from: 6\\)")
            << week;
        QTest::newRow("a step on B5") << none << words("kolvara-sheet --step SUB-3-ZERO-TENS --paper b5 -o") << nothing
                                      << 0 << QStringLiteral("729 x 516 pts[\\s\\S]*\n- \\d\\d\\d\n") << week;
        QTest::newRow("answer boxes of no such width") << file << words("kolvara-sheet --answer-boxes wide -o") << nothing
                                                       << 2 << QStringLiteral("--answer-boxes は widest か exact です：wide\n"
                                                                              "kolvara-sheet: --answer-boxes must be widest or exact, not: wide")
                                                       << week;
        QTest::newRow("exact answer boxes and the status lines")
            << none << words("kolvara-sheet --answer-boxes EXACT --status-lines --no-answers -o") << nothing << 0
            << firstSheet << week;
        QTest::newRow("a value for a switch") << file << words("kolvara-sheet --help=foo -o") << nothing << 2
                                              << QStringLiteral("--help takes no value") << week;
        QTest::newRow("a value for the status lines") << file << words("kolvara-sheet --status-lines=0 -o") << nothing
                                                      << 2 << QStringLiteral("--status-lines takes no value") << week;
        QTest::newRow("a division's check lines")
            << none << words("kolvara-sheet --step div-3-2 --check --seed 1 -o") << nothing << 0
            << QStringLiteral("\\n2あまり71\\n[\\s\\S]*\\n75×2\\+71=221\\n") << week;
        QTest::newRow("a division without its check lines")
            << none << words("kolvara-sheet --step div-3-2 --seed 1 -o") << nothing << 0
            << QStringLiteral("^(?![\\s\\S]*\\d=\\d)[\\s\\S]*2あまり71") << week;
        QTest::newRow("a value for the check lines") << file << words("kolvara-sheet --check=1 -o") << nothing << 2
                                                     << QStringLiteral("--check takes no value") << week;
        QTest::newRow("a value missing") << file << words("kolvara-sheet --sheets") << nothing << 2
                                         << QStringLiteral("--sheets needs a value") << week;
        QTest::newRow("a stray word") << file << words("kolvara-sheet sums.pdf -o") << nothing << 2
                                      << QStringLiteral("unexpected argument: sums.pdf") << week;
        QTest::newRow("help in both languages")
            << none << words("kolvara-sheet --help") << nothing << 0
            << QStringLiteral("\n  --carry PATTERN +上[^\n]+\n(?: +[^ \n][^\n]+\n)+? +the columns from the highest") << nothing;
        QTest::newRow("help names the answer boxes' widths")
            << none << words("kolvara-sheet --help") << nothing << 0
            << QStringLiteral("\n  --answer-boxes widest\\|exact +問題のページの答えのわく[^\n]+\n(?: +[^ \n][^\n]+\n)+? +the "
                              "problem page's answer boxes[^\n]+\n(?: +[^ \n][^\n]+\n)+?  --status-lines +設定の記号")
            << nothing;
        QTest::newRow("help says what helper boxes leave a page")
            << none << words("kolvara-sheet --help") << nothing << 0
            << QStringLiteral("\n  --helper-boxes [^\n]+\n(?: +[^\n]+\n)*? +[^\n]*鉛筆[\\s\\S]+a pencil's size[\\s\\S]+is "
                              "refused\n  --red-answers[\\s\\S]+\n  --per-page [^\n]+\n(?: +[^\n]+\n)*? +[^\n]*--helper-boxes "
                              "では[\\s\\S]+3けた×2けたは 6 だけ[\\s\\S]+With --helper-boxes[\\s\\S]+three places by two only "
                              "6\\); one\n +that does not fit is refused\n  --paper")
            << nothing;
        QTest::newRow("help says few problems are drawn distinct unasked")
            << none << words("kolvara-sheet --help") << nothing << 0
            << QStringLiteral("\n  --distinct +[^\n]+1,000通り以下[\\s\\S]+1,000 problems or fewer\\)\n  --no-answers")
            << nothing;
        QTest::newRow("version") << none << words("kolvara-sheet --version") << nothing << 0
                                 << QStringLiteral("^kolvara-sheet %1\n$").arg(QRegularExpression::escape(KOLVARA_VERSION))
                                 << nothing;
        QTest::newRow("values in upper case")
            << none << words("kolvara-sheet --op SUB --upper NAA --lower NAA --carry MMY --paper LETTER -o") << nothing
            << 0 << QStringLiteral("\\(letter\\)[\\s\\S]*\n- \\d{3}\n") << week;
        QTest::newRow("the extension added") << none << words("kolvara-sheet -o %1/week") << nothing << 0
                                             << firstSheet << week;
        QTest::newRow("standard output") << none << words("kolvara-sheet -o -") << nothing << 0 << firstSheet
                                         << nothing;
        QTest::newRow("standard output closed")
            << none
            << QStringList{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("exec \"$0\" -o - >&-"),
                           QStringLiteral(KOLVARA_SHEET)}
            << nothing << 1 << QStringLiteral("standard output is closed") << nothing;
        // The temporary file beside a name of 255 bytes, the most a name may have, keeps
        // within that too; a longer name is refused before any page is drawn.
        QTest::newRow("a name of 255 bytes") << none << words("kolvara-sheet -o %1/%2.pdf") << nothing << 0 << firstSheet
                                             << QStringList{QString(251, u'x') + QStringLiteral(".pdf")};
        QTest::newRow("a name of 256 bytes") << none << words("kolvara-sheet -o %1/%2x.pdf") << nothing << 1
                                             << QStringLiteral("名前が長すぎます") << nothing;
        QTest::newRow("a named pipe") << QStringLiteral("fifo") << words("kolvara-sheet -o") << nothing << 0
                                      << firstSheet << week;
        QTest::newRow("a folder") << QStringLiteral("folder") << words("kolvara-sheet -o") << nothing << 2
                                  << QStringLiteral("is a folder") << week;
        QTest::newRow("a folder, no extension") << none << words("kolvara-sheet -o %1") << nothing << 2
                                                << QStringLiteral("「[^」]+」はフォルダです") << nothing;
        QTest::newRow("JSON into a folder") << QStringLiteral("folder") << words("kolvara-sheet --json -o") << nothing << 2
                                            << QStringLiteral("「[^」]+」はフォルダです。書き出すJSON") << week;
        QTest::newRow("links in a circle") << QStringLiteral("loop") << words("kolvara-sheet -o") << nothing << 1
                                           << QStringLiteral("シンボリックリンクが循環しています")
                                           << QStringList{QStringLiteral("loop.pdf"), QStringLiteral("week.pdf")};
        // The second name differs from the first only where neither is UTF-8.
        QTest::newRow("names that are not UTF-8")
            << none
            << QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("for b in 377 376; do \"$0\" -o \"$1/$(printf \"\\\\$b\").pdf\" || exit; done"),
                           QStringLiteral(KOLVARA_SHEET), QStringLiteral("%1")}
            << nothing << 0 << QString() << QStringList{QStringLiteral("\u00fe.pdf"), QStringLiteral("\u00ff.pdf")};
        QTest::newRow("no Japanese font")
            << file << words("kolvara-sheet -o")
            << QStringList{QStringLiteral("FONTCONFIG_FILE=") + QFINDTESTDATA("latin_fonts_only.conf")} << 1
            << QStringLiteral("IPA Gothic fonts are missing") << week;
        // One line each, in Japanese and in English, not the toolkit's abort.
        const QString noDisplay = QStringLiteral("^kolvara: [^\n]*kolvara-sheet[^\n]*\nkolvara: [^\n]*kolvara-sheet[^\n]*\n$");
        QTest::newRow("the window without a display")
            << none << QStringList{QStringLiteral(KOLVARA_WINDOW)}
            << words("DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM") << 1 << noDisplay << nothing;
        QTest::newRow("the window with a display that does not answer")
            << none << QStringList{QStringLiteral(KOLVARA_WINDOW)}
            << words("DISPLAY=:4093 WAYLAND_DISPLAY QT_QPA_PLATFORM") << 1 << noDisplay << nothing;
    }
    void commandLines()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, command);
        QFETCH(QStringList, environment);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QFETCH(QStringList, after);
        QTemporaryDir folder;
        const QByteArray dir = QFile::encodeName(folder.path());
        const QByteArray target = dir + "/week.pdf";
        const QByteArray old = "last week's sheets";
        // The folder cannot remove what it cannot name.
        const auto removeRawNames = qScopeGuard([&dir] {
            for (const QByteArray &name : rawEntries(dir))
                ::unlink(dir + '/' + name);
        });
        if (before == QLatin1String("file")) {
            QFile existing(QFile::decodeName(target));
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(old) == old.size());
        } else if (before == QLatin1String("folder")) {
            QVERIFY(::mkdir(target, 0755) == 0);
        } else if (before == QLatin1String("fifo")) {
            QVERIFY(::mkfifo(target, 0644) == 0);
        } else if (before == QLatin1String("loop")) {
            QVERIFY(::symlink("loop.pdf", target) == 0 && ::symlink("week.pdf", dir + "/loop.pdf") == 0);
        }
        for (QString &word : command)
            word.replace(QLatin1String("%1"), folder.path()).replace(QLatin1String("%2"), QString(251, u'x'));
        if (command.last() == QLatin1String("-o"))
            command << QFile::decodeName(target);
        if (command.first() == QLatin1String("kolvara-sheet"))
            command.first() = QStringLiteral(KOLVARA_SHEET);

        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString &change : environment)
            if (const qsizetype eq = change.indexOf(u'='); eq >= 0)
                variables.insert(change.left(eq), change.mid(eq + 1));
            else
                variables.remove(change);
        // A reader of the pipe is there from the start, as `lp` would be.
        const int pipe = before == QLatin1String("fifo") ? ::open(target, O_RDONLY | O_NONBLOCK) : -1;
        QByteArray piped;
        const auto drain = [&] {
            char chunk[4096];
            for (ssize_t n; pipe >= 0 && (n = ::read(pipe, chunk, sizeof chunk)) > 0;)
                piped.append(chunk, n);
        };
        QProcess process;
        process.setProcessEnvironment(variables);
        process.start(command.takeFirst(), command);
        QDeadlineTimer deadline(60000);
        while (!process.waitForFinished(10) && !deadline.hasExpired())
            drain();
        drain();
        if (pipe >= 0)
            ::close(pipe);
        QCOMPARE(process.state(), QProcess::NotRunning);
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, exitCode);

        // Every document it wrote, and what it said: its messages, and the first document's
        // paper and text.
        const QByteArray out = process.readAllStandardOutput();
        QString shown = QString::fromUtf8(process.readAllStandardError());
        QList<QByteArray> documents;
        if (out.startsWith("%PDF-"))
            documents << out;
        else
            shown += QString::fromUtf8(out);
        if (pipe >= 0)
            documents << piped;
        QList<QByteArray> expected;
        for (const QString &name : after)
            expected << name.toLatin1();
        QCOMPARE(rawEntries(dir), expected);
        for (const QByteArray &name : expected) {
            struct stat status;
            if (::lstat(dir + '/' + name, &status) == 0 && S_ISREG(status.st_mode))
                if (const QByteArray content = rawContent(dir + '/' + name); content != old)
                    documents << content;
        }
        struct stat status;
        const bool there = ::lstat(target, &status) == 0;
        if (before == QLatin1String("fifo"))
            QVERIFY(there && S_ISFIFO(status.st_mode));
        if (before == QLatin1String("folder"))
            QVERIFY(there && S_ISDIR(status.st_mode) && rawEntries(target).isEmpty());
        if (before == QLatin1String("loop"))
            QVERIFY(there && S_ISLNK(status.st_mode));
        if (exitCode != 0)
            QCOMPARE(documents.size(), 0);
        for (const QByteArray &document : documents)
            QVERIFY2(document.startsWith("%PDF-") && document.trimmed().endsWith("%%EOF"), document.left(40).constData());
        if (!documents.isEmpty()) {
            QTemporaryFile pdf;
            QVERIFY(pdf.open() && pdf.write(documents.first()) == documents.first().size() && pdf.flush());
            shown += runTool(QStringLiteral("pdfinfo"), {pdf.fileName()}) +
                     runTool(QStringLiteral("pdftotext"), {pdf.fileName(), QStringLiteral("-")});
        }
        QVERIFY2(shown.contains(QRegularExpression(says)), qPrintable(shown));
    }

    // Each sheet's answer page right after it, or all of them after every problem page;
    // answer pages say "こたえ".
    void pageOrder_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("pages");  // per page: its sheet's number, A for an answer page
        QTest::newRow("answers after each sheet") << QStringList{} << QStringLiteral("1 1A 2 2A 3 3A");
        QTest::newRow("answers last") << QStringList{QStringLiteral("--answers-last")} << QStringLiteral("1 2 3 1A 2A 3A");
        QTest::newRow("no answers") << QStringList{QStringLiteral("--no-answers"), QStringLiteral("--answers-last")}
                                    << QStringLiteral("1 2 3");
    }
    void pageOrder()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, pages);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("week.pdf"));
        const Run run = runSheet(options + QString("--sheets 3 --seed 40 -o").split(u' ') + QStringList{pdf});
        QCOMPARE(run.exitCode, 0);
        QStringList found;
        for (int page = 1; page <= pdfPageCount(pdf); ++page) {
            const QString text = pageText(pdf, page);
            const auto mark = QRegularExpression(QStringLiteral("No\\.(\\d)\\s")).match(text);
            found << mark.captured(1) + (text.contains(QStringLiteral("こたえ")) ? QStringLiteral("A") : QString());
        }
        QCOMPARE(found.join(u' '), pages);
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

    // -o never does what the shell's ">" would refuse, and a file it replaces keeps its owner
    // and mode. The folder is sticky and everyone may write it, as /tmp. Permissions do not
    // hold root back, so as root a read-only file is nobody's and so is the run; only root
    // can give a file or a link to someone else.
    void targetsTheShellWouldRefuse_data()
    {
        QTest::addColumn<QString>("target");  // week.pdf
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("a file the user may not write") << QStringLiteral("read-only") << 1
                                                       << QStringLiteral("書き込みが許可されていません");
        QTest::newRow("someone else's link") << QStringLiteral("their link") << 1
                                             << QStringLiteral("ほかの人のシンボリックリンク");
        QTest::newRow("the folder owner's link") << QStringLiteral("owner's link") << 0 << QString();
        QTest::newRow("someone else's file, replaced") << QStringLiteral("their file") << 0 << QString();
    }
    void targetsTheShellWouldRefuse()
    {
        QFETCH(QString, target);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        constexpr uid_t nobody = 65534;
        constexpr gid_t nogroup = 65534;
        const bool root = ::geteuid() == 0;
        const bool someoneElses = target.startsWith(QLatin1String("their"));
        if (someoneElses && !root)
            QSKIP("only root can give a file or a link to another user");
        QTemporaryDir folder;
        const QByteArray dir = QFile::encodeName(folder.path());
        const QByteArray week = dir + "/week.pdf", real = dir + "/real.pdf";
        const QByteArray old = "last week's sheets";
        QVERIFY(::chmod(dir, 01777) == 0);
        QStringList prefix;
        if (target.endsWith(QLatin1String("link"))) {
            QVERIFY(::symlink("real.pdf", week) == 0);
            if (someoneElses)
                QVERIFY(::lchown(week, nobody, nogroup) == 0);
        } else {
            QFile existing(QFile::decodeName(week));
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(old) == old.size());
            existing.close();
            QVERIFY(::chmod(week, target == QLatin1String("read-only") ? 0444 : 0640) == 0);
            if (root)
                QVERIFY(::chown(week, nobody, nogroup) == 0);
            if (root && !someoneElses)
                prefix = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                     QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
        }
        const Run run = runSheet({QStringLiteral("-o"), QFile::decodeName(week)}, prefix);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.errors.contains(says), qPrintable(run.errors));

        struct stat status;
        QVERIFY(::lstat(week, &status) == 0);
        if (target.endsWith(QLatin1String("link"))) {
            QVERIFY(S_ISLNK(status.st_mode));
            QCOMPARE(rawContent(real).startsWith("%PDF-"), exitCode == 0);
            const QList<QByteArray> written{"real.pdf", "week.pdf"}, refused{"week.pdf"};
            QCOMPARE(rawEntries(dir), exitCode == 0 ? written : refused);
            return;
        }
        QCOMPARE(rawEntries(dir), QList<QByteArray>{"week.pdf"});
        const QByteArray content = rawContent(week);
        QVERIFY(exitCode == 0 ? content.startsWith("%PDF-") : content == old);
        QCOMPARE(status.st_mode & 07777, target == QLatin1String("read-only") ? 0444u : 0640u);
        if (root) {
            QCOMPARE(status.st_uid, nobody);
            QCOMPARE(status.st_gid, nogroup);
        }
    }

    void distinct_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<bool>("enough");
        // One-digit sums that always carry: 45 problems for 28 places.
        const QStringList carrying{QStringLiteral("--upper"), QStringLiteral("00n"), QStringLiteral("--lower"),
                                   QStringLiteral("00n"), QStringLiteral("--carry"), QStringLiteral("mmy")};
        const QStringList nine{QStringLiteral("--upper"), QStringLiteral("00n"), QStringLiteral("--lower"), QStringLiteral("000")};
        QTest::newRow("enough") << carrying + QStringList{QStringLiteral("--distinct")} << true;
        QTest::newRow("too few") << nine + QStringList{QStringLiteral("--distinct")} << false;
        // A thousand problems or fewer are drawn distinct without being asked, and a sheet
        // that must repeat says so all the same.
        QTest::newRow("enough, unasked") << carrying << true;
        QTest::newRow("too few, unasked") << nine << false;
    }
    void distinct()
    {
        QFETCH(QStringList, settings);
        QFETCH(bool, enough);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("drill.pdf"));
        const Run run = runSheet(settings + QStringList{QStringLiteral("--sheets"),
                                                        QStringLiteral("4"), QStringLiteral("--no-answers"),
                                                        QStringLiteral("-o"), pdf});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(pdf), 4);
        QCOMPARE(run.errors.contains(QStringLiteral("repeats will occur")), !enough);
        if (!enough) {
            QVERIFY2(run.errors.contains(QStringLiteral("9通り")), qPrintable(run.errors));
            QVERIFY2(run.errors.contains(QStringLiteral("only 9 different problems")), qPrintable(run.errors));
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

    // A product's partial products add up to it, shifted as written; a quotient's steps take
    // each digit's product from the number the one before left, with the next place brought down.
    static void checkLongWorking(const QJsonObject &p)
    {
        const int upper = p[QStringLiteral("upper")].toString().toInt(), lower = p[QStringLiteral("lower")].toString().toInt();
        const int answer = p[QStringLiteral("answer")].toString().toInt();
        if (p[QStringLiteral("op")].toString() == QLatin1String("x")) {
            QCOMPARE(answer, upper * lower);
            const QJsonArray partials = p[QStringLiteral("partials")].toArray();
            if (lower < 10 || lower % 10 == 0) {
                QCOMPARE(partials.size(), 0);  // written at once
            } else {
                QCOMPARE(partials.size(), 2);
                QCOMPARE(partials[0].toString().toInt(), upper * (lower % 10));
                QCOMPARE(partials[1].toString().toInt(), upper * (lower / 10));
            }
            return;
        }
        const int remainder = p[QStringLiteral("remainder")].toString().toInt();
        QCOMPARE(answer * lower + remainder, upper);
        QVERIFY(remainder < lower && answer >= 1);
        const QString digits = QString::number(upper), quotient = QString::number(answer);
        const QJsonArray steps = p[QStringLiteral("steps")].toArray();
        QCOMPARE(steps.size(), quotient.size());
        // The first step works on the dividend's places above the quotient's.
        const qsizetype lead = digits.size() - quotient.size() + 1;
        int partial = digits.left(lead).toInt();
        for (qsizetype s = 0; s < steps.size(); ++s) {
            const int digit = quotient[s].digitValue();
            const QJsonObject step = steps[s].toObject();
            QCOMPARE(step[QStringLiteral("product")].toString().toInt(), digit * lower);
            const int difference = step[QStringLiteral("difference")].toString().toInt();
            QCOMPARE(difference, partial - digit * lower);
            QVERIFY(difference >= 0 && difference < lower);
            if (s + 1 < steps.size())
                partial = difference * 10 + digits[lead + s].digitValue();
            else
                QCOMPARE(difference, remainder);
        }
    }

    // --json: the very problems the pages show, under their marks' numbers and seeds, with
    // answers, carries and helper digits that fit the numbers; without fonts or a display.
    void json_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("target");  // "-" or a name in a folder, which gets .json
        QTest::addColumn<QString>("pinned");  // every problem's answer and value, where the options fix them
        const auto words = [](const char *line) { return QString::fromUtf8(line).split(u' '); };
        QTest::newRow("three places through a zero") << words("--step sub-3-zero-tens") << QStringLiteral("keys") << QString();
        QTest::newRow("mixed signs and tenths") << words("--op mixed --upper naaa.n --lower n.n") << QStringLiteral("-") << QString();
        QTest::newRow("a whole number less hundredths") << words("--op sub --upper n --lower a.an") << QStringLiteral("-") << QString();
        QTest::newRow("the window's table, six a page") << words("--per-page 6") << QStringLiteral("drill") << QString();
        QTest::newRow("products by two places") << words("--step mul-3-2") << QStringLiteral("-") << QString();
        QTest::newRow("products by tens") << words("--step mul-tens") << QStringLiteral("-") << QString();
        QTest::newRow("quotients with a 0") << words("--op div --upper naa --lower n --quotient-zero y") << QStringLiteral("-") << QString();
        QTest::newRow("guesses to correct") << words("--step div-guess-fix") << QStringLiteral("-") << QString();
        // Products and quotients of their first unit when nothing else is said.
        QTest::newRow("products alone") << words("--op mul") << QStringLiteral("-") << QString();
        QTest::newRow("quotients alone") << words("--op div") << QStringLiteral("-") << QString();
        QTest::newRow("decimals written without open zeros") << words("--upper aaaa.aa --lower aa.a") << QStringLiteral("-") << QString();
        QTest::newRow("a fixed digit, nothing trivial")
            << words("--op sub --upper 10a --lower 00a --trivial n") << QStringLiteral("-") << QString();
        QTest::newRow("thousandths") << words("--upper n.nnn --lower a.aan") << QStringLiteral("-") << QString();
        QTest::newRow("thousandths, zeros at the end")
            << words("--upper 2.345 --lower 1.255") << QStringLiteral("-") << QStringLiteral("3.600 3.6");
    }
    void json()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, target);
        QFETCH(QString, pinned);
        constexpr std::uint32_t seed = 86399999;  // the second sheet's reading wraps to 0
        constexpr int sheets = 2;
        QTemporaryDir folder;
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("FONTCONFIG_FILE"), QFINDTESTDATA("latin_fonts_only.conf"));
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            variables.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(variables);
        process.start(QStringLiteral(KOLVARA_SHEET),
                      options + QStringList{QStringLiteral("--json"), QStringLiteral("--seed"), QString::number(seed),
                                            QStringLiteral("--sheets"), QString::number(sheets), QStringLiteral("-o"),
                                            target == QLatin1String("-") ? target : folder.filePath(target)});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QByteArray text = process.readAllStandardOutput();
        if (target != QLatin1String("-")) {
            QCOMPARE(text, QByteArray());
            QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList{target + QStringLiteral(".json")});
            text = rawContent(QFile::encodeName(folder.filePath(target + QStringLiteral(".json"))));
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));

        kolvara::SheetRequest request;
        for (qsizetype i = 0; i < options.size(); i += 2) {
            const std::string key = options[i].mid(2).toStdString(), value = options[i + 1].toStdString();
            QCOMPARE(kolvara::findSheetOption(key)->read(request, key, value), std::string());
        }
        const kolvara::WorksheetChoice choice = kolvara::worksheetChoiceOf(request);
        const QJsonArray sheetList = document.object().value(QStringLiteral("sheets")).toArray();
        QCOMPARE(sheetList.size(), sheets);
        for (int k = 0; k < sheets; ++k) {
            const kolvara::Sheet page = kolvara::worksheetFor(choice, k, seed);
            const QJsonObject sheet = sheetList[k].toObject();
            QCOMPARE(QStringLiteral("No.%1\u3000%2").arg(sheet[QStringLiteral("number")].toInt())
                         .arg(sheet[QStringLiteral("seed")].toInteger()),
                     QString::fromStdString(page.mark));
            const QJsonArray problems = sheet[QStringLiteral("problems")].toArray();
            QCOMPARE(problems.size(), qsizetype(page.problems.size()));
            for (qsizetype i = 0; i < problems.size(); ++i) {
                const QJsonObject p = problems[i].toObject();
                const QString op = p[QStringLiteral("op")].toString(), upper = p[QStringLiteral("upper")].toString(),
                              lower = p[QStringLiteral("lower")].toString(), answer = p[QStringLiteral("answer")].toString(),
                              value = p[QStringLiteral("value")].toString();
                QCOMPARE(upper + op + lower, QString::fromStdString(kolvara::problemText(page.problems[std::size_t(i)])));
                // No row's pattern fixes a 0 at the end of a number, nor asks for 0 or 1 where
                // it leaves them out.
                QVERIFY(!upper.contains(u'.') || !upper.endsWith(u'0'));
                QVERIFY(!lower.contains(u'.') || !lower.endsWith(u'0'));
                if (kolvara::trivialOf(request.problems) == kolvara::Nashi) {
                    const bool times = op == QLatin1String("x"), by = op == QLatin1String("/");
                    const QString none = times || by ? QStringLiteral("1") : QStringLiteral("0");
                    QVERIFY2(lower != none && (by || op == QLatin1String("-") || upper != none), qPrintable(upper + op + lower));
                    QVERIFY2(op != QLatin1String("-") || upper != lower, qPrintable(upper + op + lower));
                }
                if (op == QLatin1String("x") || op == QLatin1String("/")) {
                    checkLongWorking(p);
                    continue;
                }
                const int decimals = p[QStringLiteral("decimals")].toInt();
                const bool adding = op == QLatin1String("+");
                QCOMPARE(thousandths(answer), adding ? thousandths(upper) + thousandths(lower) : thousandths(upper) - thousandths(lower));
                QCOMPARE(thousandths(value), thousandths(answer));
                if (!pinned.isEmpty())
                    QCOMPARE(answer + u' ' + value, pinned);
                QCOMPARE(answer.contains(u'.') ? answer.size() - answer.indexOf(u'.') - 1 : 0, qsizetype(decimals));
                QVERIFY(!value.contains(u'.') || !value.endsWith(u'0'));
                // Column by column, highest first; helpers have one place more, on the left.
                const QJsonArray carries = p[QStringLiteral("carries")].toArray(),
                                 helpers = p[QStringLiteral("helpers")].toArray(),
                                 struck = p[QStringLiteral("struck")].toArray();
                const int columns = page.columns;
                QCOMPARE(carries.size(), columns);
                QCOMPARE(helpers.size(), columns + 1);
                QCOMPARE(struck.size(), columns + 1);
                int in = 0;
                for (int place = 0; place < columns; ++place) {
                    const int a = digitAt(upper, place, decimals), b = digitAt(lower, place, decimals);
                    const int out = adding ? (a + b + in >= 10) : (a - b - in < 0);
                    QCOMPARE(carries[columns - 1 - place].toInt(), out);
                    // The column to the left gets the carried 1, or lends what it has less one.
                    const QJsonValue helper = helpers[columns - 1 - place];
                    if (!out || (!adding && place + 1 == columns))
                        QVERIFY(helper.isNull());
                    else if (adding)
                        QCOMPARE(helper.toString(), QStringLiteral("1"));
                    else if (place + 1 < columns)
                        QCOMPARE(helper.toString().toInt() % 10, (digitAt(upper, place + 1, decimals) + 9) % 10);
                    in = out;
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestKolvaraSheet)
#include "tst_kolvara_sheet.moc"
