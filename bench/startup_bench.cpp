// Start to first painted window, the program against a bare Qt window of the same size and
// against that window with one Japanese label, each in a process of its own. The clock runs
// from just before the fork to the moment the child reports its first frame painted, so the
// child's teardown is not counted. Reports the child's peak memory, and after the table the
// program's time over each bare window's (medians when repeated).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void startChild(benchmark::State &state, const char *program)
{
    setenv("QT_QPA_PLATFORM", getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : KOLVARA_OFFSCREEN, 1);
    long peakKb = 0;
    for (auto _ : state) {
        int report[2];
        if (pipe(report) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const std::string fd = std::to_string(report[1]);
        const std::int64_t start = monotonicNs();
        const pid_t pid = fork();
        if (pid == 0) {
            close(report[0]);
            execl(program, program, fd.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(report[1]);
        std::int64_t painted = 0;
        const bool reported = read(report[0], &painted, sizeof painted) == sizeof painted;
        close(report[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!reported || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("child failed");
            return;
        }
        state.SetIterationTime(double(painted - start) / 1e9);
        peakKb = usage.ru_maxrss > peakKb ? usage.ru_maxrss : peakKb;
    }
    state.counters["peak_rss_MiB"] = double(peakKb) / 1024.0;
}

void BM_StartToFirstPaint_Kolvara(benchmark::State &state) { startChild(state, KOLVARA_CHILD); }
void BM_StartToFirstPaint_BareWindow(benchmark::State &state) { startChild(state, BARE_CHILD); }
void BM_StartToFirstPaint_BareWindowWithJapaneseLabel(benchmark::State &state) { startChild(state, BARE_LABEL_CHILD); }
BENCHMARK(BM_StartToFirstPaint_Kolvara)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
BENCHMARK(BM_StartToFirstPaint_BareWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);
BENCHMARK(BM_StartToFirstPaint_BareWindowWithJapaneseLabel)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);

// Passes everything on to the usual display and keeps each benchmark's time: the median
// when repetitions give one, else the single run's mean.
class RatioReporter : public benchmark::BenchmarkReporter {
public:
    explicit RatioReporter(benchmark::BenchmarkReporter *display) : display_(display) {}

    bool ReportContext(const Context &context) override { return display_->ReportContext(context); }
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!run.error_occurred && (median || single))
                ms_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        display_->ReportRuns(runs);
    }
    void Finalize() override { display_->Finalize(); }

    // On stderr, where the display puts its context too, so a JSON stdout stays clean.
    void printRatios() const
    {
        const auto time = [this](const char *name) {
            const auto found = ms_.find(std::string("BM_StartToFirstPaint_") + name);
            return found == ms_.end() ? 0.0 : found->second;
        };
        const double kolvara = time("Kolvara");
        for (const char *bare : {"BareWindow", "BareWindowWithJapaneseLabel"})
            if (kolvara > 0 && time(bare) > 0)
                std::fprintf(stderr, "first paint, Kolvara / %s: %.2f\n", bare, kolvara / time(bare));
    }

private:
    benchmark::BenchmarkReporter *display_; // the library's own, which it keeps
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(benchmark::CreateDefaultDisplayReporter());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
