// Benchmarks of the Windows-free code on the host: the loader, the name set,
// the entry sort and the wildcard matcher. The host seam's comparison folds
// ASCII case where the program calls CompareStringA, so the counts of
// comparisons carry over to Windows; their cost does not (see docs/benchmarks.md).
#include <benchmark/benchmark.h>

#include "actions/match.h"
#include "common/nameset.h"
#include "common/platform_host.h"
#include "log/log.h"
#include "log/sort.h"

#include "benchlog.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// The least and the most of the repetitions, beside their median.
void Spread(benchmark::internal::Benchmark* b)
{
    b->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
    b->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });
}

const char* kRoot = "C:\\Program Files\\Bench Product";

std::string WriteLog(int n, bool shuffled)
{
    std::string path = std::string(BENCH_DIR) + "/log-" + std::to_string(n) +
                       (shuffled ? "-shuffled" : "-ordered") + ".ini";
    std::ofstream(path, std::ios::binary)
        << benchlog::Log("Bench Product", benchlog::Entries(n, shuffled, kRoot));
    return path;
}

// LoadLog in the removal stage: reading, numbering through the log-line set,
// and the sort.
void BM_LoadLog(benchmark::State& state, bool shuffled)
{
    int n = int(state.range(0));
    std::string path = WriteLog(n, shuffled);
    long compares = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NameSetCreate(&g_logLines, LOG_LINE_ROOM);
        long before = HostCompareCount();
        state.ResumeTiming();
        LoadLog(path.c_str(), true);
        state.PauseTiming();
        compares = HostCompareCount() - before;
        if (g_entryCount != n)
            state.SkipWithError("the log lost entries");
        FreeLog();
        state.ResumeTiming();
    }
    state.counters["compares"] = double(compares);
    state.counters["compares/entry"] = double(compares) / n;
    state.SetComplexityN(n);
}
BENCHMARK_CAPTURE(BM_LoadLog, ordered, false)->Apply(Spread)
    ->Arg(1000)->Arg(5000)->Arg(19999)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(BM_LoadLog, shuffled, true)->Apply(Spread)
    ->Arg(1000)->Arg(5000)->Arg(19999)->Unit(benchmark::kMillisecond)->Complexity();

std::deque<std::string> Paths(int n, bool shuffled)
{
    std::deque<std::string> paths;
    for (auto& line : benchlog::Entries(n, shuffled, kRoot))
        paths.push_back(line.substr(3));  // the entry text would start with the letter
    return paths;
}

void BM_NameSetInsert(benchmark::State& state, bool shuffled)
{
    std::deque<std::string> paths = Paths(20000, shuffled);
    for (auto _ : state) {
        state.PauseTiming();
        NameSet set;
        NameSetCreate(&set, 20000);
        state.ResumeTiming();
        for (auto& p : paths)
            NameSetInsert(&set, p.c_str());
        state.PauseTiming();
        if (set.count != 20000)
            state.SkipWithError("the set lost paths");
        NameSetFree(&set);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK_CAPTURE(BM_NameSetInsert, ordered, false)->Apply(Spread)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NameSetInsert, shuffled, true)->Apply(Spread)->Unit(benchmark::kMillisecond);

// The entries as the loader hands them to the sort: files numbered up from
// 30001, folders down from 64999, in log order; and random numbers.
void BM_SortEntries(benchmark::State& state, bool random)
{
    const int n = 19999;
    std::vector<ActionEntry> unsorted(n);
    std::mt19937 generator(19);
    int files = 0, folders = 0;
    for (int i = 0; i < n; ++i) {
        if (random)
            unsorted[i].order = int(generator() % 70000);
        else
            unsorted[i].order = i % 200 == 199 ? 65000 - ++folders : 30000 + ++files;
        unsorted[i].text = nullptr;
    }
    std::vector<ActionEntry> entries(n);
    for (auto _ : state) {
        state.PauseTiming();
        entries = unsorted;
        state.ResumeTiming();
        SortEntries(entries.data(), n, sizeof(ActionEntry), CompareOrder);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK_CAPTURE(BM_SortEntries, log_order, false)->Apply(Spread)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortEntries, random, true)->Apply(Spread)->Unit(benchmark::kMillisecond);

// One pattern against the names of a folder, as RemoveMatching does.
void BM_PatternMatches(benchmark::State& state, const char* patternText)
{
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back(i % 3 == 0 ? "Data File " + std::to_string(i) + ".dat"
                        : i % 3 == 1 ? "readme." + std::to_string(i) : "notes" + std::to_string(i) + ".TXT");
    FilePattern pattern;
    ParsePattern(patternText, &pattern);
    int matched = 0;
    for (auto _ : state) {
        matched = 0;
        for (auto& name : names)
            matched += PatternMatches(&pattern, name.c_str());
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = matched;
    state.SetItemsProcessed(state.iterations() * int64_t(names.size()));
}
BENCHMARK_CAPTURE(BM_PatternMatches, star_dot_txt, "*.txt")->Apply(Spread)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PatternMatches, readme_dot_star, "readme.*")->Apply(Spread)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PatternMatches, star_dot_star, "*.*")->Apply(Spread)->Unit(benchmark::kMicrosecond);

// The host seam's comparison on two paths of the log that differ late.
void BM_CompareText(benchmark::State& state)
{
    std::string a = std::string(kRoot) + "\\Folder042\\Data File 08401.dat,0";
    std::string b = std::string(kRoot) + "\\folder042\\Data File 08417.dat,0";
    for (auto _ : state)
        benchmark::DoNotOptimize(PlatCompareText(a.c_str(), b.c_str()));
}
BENCHMARK(BM_CompareText)->Apply(Spread);

}  // namespace

BENCHMARK_MAIN();
