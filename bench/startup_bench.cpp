// Start to first painted window, the program against a bare Qt window of the same size,
// each in a process of its own; reports wall time and the child's peak memory.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void startChild(benchmark::State &state, const char *program)
{
    setenv("QT_QPA_PLATFORM", getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "offscreen", 1);
    long peakKb = 0;
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) {
            execl(program, program, static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("child failed");
            return;
        }
        peakKb = usage.ru_maxrss > peakKb ? usage.ru_maxrss : peakKb;
    }
    state.counters["peak_rss_MiB"] = double(peakKb) / 1024.0;
}

void BM_StartToFirstPaint_Kolvara(benchmark::State &state) { startChild(state, KOLVARA_CHILD); }
void BM_StartToFirstPaint_BareWindow(benchmark::State &state) { startChild(state, BARE_CHILD); }
void BM_StartToFirstPaint_BareWindowWithJapaneseLabel(benchmark::State &state) { startChild(state, BARE_LABEL_CHILD); }
BENCHMARK(BM_StartToFirstPaint_Kolvara)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_StartToFirstPaint_BareWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_StartToFirstPaint_BareWindowWithJapaneseLabel)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
