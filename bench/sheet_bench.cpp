// kolvara-sheet as a whole process, the way scripts run it: a week of 100 sheets with
// answers (200 pages) and a single sheet. Reports the child's peak memory and the PDF's
// size beside the time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `program arguments... -o/--pdf output` once per iteration; the child's peak memory
// and the file's size are reported beside the time.
void runChild(benchmark::State &state, const char *program, const char *outputOption)
{
    const std::string sheets = std::to_string(state.range(0));
    char folder[] = "/tmp/kolvara-sheet-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string output = std::string(folder) + "/week.pdf";
    long peakKb = 0;
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) {
            execl(program, program, "--sheets", sheets.c_str(), "--seed", "1", outputOption, output.c_str(),
                  static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child failed");
            break;
        }
        peakKb = usage.ru_maxrss > peakKb ? usage.ru_maxrss : peakKb;
    }
    struct stat file {};
    if (stat(output.c_str(), &file) == 0)
        state.counters["pdf_MB"] = double(file.st_size) / 1e6;
    state.counters["peak_rss_MiB"] = double(peakKb) / 1024.0;
    std::remove(output.c_str());
    rmdir(folder);
}

void runSheet(benchmark::State &state) { runChild(state, KOLVARA_SHEET, "-o"); }
// kolvara-sheet takes at most 100 sheets; the same layout and PDF writer show whether memory
// stays flat far beyond that.
void runPages(benchmark::State &state) { runChild(state, SHEET_DUMP, "--pdf"); }

}  // namespace

BENCHMARK(runSheet)->Name("BM_KolvaraSheet/sheets")->Arg(100)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(runPages)->Name("BM_SheetPages/sheets")->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
