// One refresh: status lines, removal, fill, build and one paint of the whole client area.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRadioButton>

#include "form_kolvara.h"
#include "japanese_fonts.h"

namespace {

void refresh(benchmark::State &state, bool oneDigit)
{
    std::uint32_t now = 0;
    TFormKolvara form([&now] { return now += 3; });
    form.show();
    if (oneDigit)
        for (const char *name : {"RadioButton1_100Zero", "RadioButton1_10Zero", "RadioButton2_100Zero", "RadioButton2_10Zero"})
            form.findChild<QRadioButton *>(QLatin1String(name))->click();
    QImage image(form.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form.FormDblClick();
        QPainter painter(&image);
        form.render(&painter);
    }
    state.counters["problems"] = double(form.geometry().ProblemsPerRow * form.geometry().RowCount);
}

void BM_RefreshAndPaint28(benchmark::State &state) { refresh(state, true); }
void BM_RefreshAndPaint20(benchmark::State &state) { refresh(state, false); }
BENCHMARK(BM_RefreshAndPaint28)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshAndPaint20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? KOLVARA_OFFSCREEN : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installJapaneseFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
