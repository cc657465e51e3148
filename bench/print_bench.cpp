// A two-page print run through the private scheduler: time from the click until both jobs
// are with the scheduler, and the size of each kept page. Beside it, the same sheet printed
// as a stretched screen-resolution bitmap, as a screen capture would print it.
// Run through scripts/bench-print.sh, which starts and stops the scheduler.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>

#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "../tests/app/form_controls.h"

namespace {

QString outFolder() { return qEnvironmentVariable("KOLVARA_CUPS_OUT"); }

// The newest kept document, once the scheduler has written it.
QString newestPdf()
{
    QDir dir(outFolder());
    const auto files = dir.entryInfoList({QStringLiteral("job-*.pdf")}, QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

// Forwards to the system's printer and notes when the answer page has been handed over.
struct TimedPrinter : PrintService {
    WorksheetPrinter real;
    QElapsedTimer *clock = nullptr;
    qint64 handedOverNs = 0;
    QFuture<QString> prepareLandscape() override { return real.prepareLandscape(); }
    QFuture<QString> setup(QWidget *parent) override { return real.setup(parent); }
    QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &title) override
    {
        return whenReady(real.printSheet(sheet, title), this, [this](const QString &error) {
            handedOverNs = clock->nsecsElapsed();
            return error;
        });
    }
};

void BM_TwoPagePrintRun(benchmark::State &state)
{
    TimedPrinter printer;
    QElapsedTimer clock;
    printer.clock = &clock;
    TFormKolvara form(kolvara::systemMillisecondsSinceMidnightUtc, &printer);
    form.show();
    for (auto _ : state) {
        clock.start();
        FormControls(form).ButtonPrintOut->click();
        while (form.printServiceBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(printer.handedOverNs) / 1e9);
    }
    state.counters["page_kB"] = double(QFileInfo(newestPdf()).size()) / 1000.0;
}
BENCHMARK(BM_TwoPagePrintRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The same sheet as a screen capture prints it: a bitmap of the window stretched to the page.
void BM_BitmapPage(benchmark::State &state)
{
    TFormKolvara form;
    form.show();
    QPrinter printer(QPrinterInfo::defaultPrinter());
    printer.setPageOrientation(QPageLayout::Landscape);
    for (auto _ : state) {
        const QImage image = form.grab().toImage();
        printer.setDocName(QStringLiteral("bitmap"));
        QPainter painter(&printer);
        const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
        const kolvara::IntSize fitted = kolvara::fitToPage({image.width(), image.height()}, {page.width(), page.height()});
        painter.drawImage(QRect(0, 0, int(fitted.width), int(fitted.height)), image);
        painter.end();
    }
    state.counters["page_kB"] = double(QFileInfo(newestPdf()).size()) / 1000.0;
}
BENCHMARK(BM_BitmapPage)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Kolvara"));
    installJapaneseFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
