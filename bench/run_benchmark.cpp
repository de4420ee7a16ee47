// The whole processing run on generated files.
// - Users' sizes: 30, 1,000 and 5,000 targets into a comet file of 3,000
//   ordinary comet lines plus the targets' lines of an earlier run, classic
//   and precise, and precise with every target's motion given as Gaia DR3
//   gives it: what a run costs the people who run it.
// - Large sizes: N objects into a comet file that holds the N lines of an
//   earlier run plus N/50 ordinary comet lines. Doubling N should roughly
//   double the time; the counters give the process's peak resident memory
//   and the two files' sizes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/object_line.h"
#include "core/processing_run.h"
#include "core/pseudo_comet_lines.h"
#include "text/conventions.h"

namespace {

namespace fs = std::filesystem;

class SilentMessageBox final : public celestra::MessageBox {
public:
    void Show(const std::string&) override {}
};

struct Files {
    std::string folder, cometPath, objectPath;
    std::uintmax_t cometBytes = 0, objectBytes = 0;
};

std::string Designation(long i) {
    char text[32];
    std::snprintf(text, sizeof text, "S%07ld", i);
    return text;
}

Files MakeFiles(long objectCount, long ordinaryCount, bool withMotion = false) {
    Files files;
    files.folder = (fs::temp_directory_path() /
                    ("celestra-bench-" + std::to_string(objectCount) + "-" + std::to_string(ordinaryCount)))
                       .string();
    fs::remove_all(files.folder);
    fs::create_directories(files.folder);
    files.cometPath = files.folder + "/comet.dat";
    files.objectPath = files.folder + "/objetos.txt";

    std::mt19937 random(42);
    std::uniform_int_distribution<int> hours(0, 23), sixty(0, 59), degrees(0, 89);
    std::ofstream objects(files.objectPath, std::ios::binary);
    std::ofstream comets(files.cometPath, std::ios::binary);
    for (long i = 0; i < ordinaryCount; ++i) {
        comets << "    C/" << 1990 + i % 30 << " A" << i << "    2005 01 24.9968  1.205075  0.999760  151.1066\r\n";
    }
    celestra::PseudoCometLines earlier("14/01/2006", celestra::Computation::kClassic);
    for (long i = 0; i < objectCount; ++i) {
        // Each field through the object line's own table, in the order the
        // draws have always been made.
        std::string line;
        const auto put = [&line](const celestra::ObjectField& field, const char* format, auto value) {
            char text[16];
            std::snprintf(text, sizeof text, format, value);
            celestra::PutField(line, field, text);
        };
        celestra::PutField(line, celestra::kDesignationField, Designation(i));
        put(celestra::kRaHoursField, "%02d", hours(random));
        put(celestra::kRaMinutesField, "%02d", sixty(random));
        const int raWhole = sixty(random);
        put(celestra::kRaSecondsField, "%05.2f", raWhole + (sixty(random) % 100) / 100.0);
        put(celestra::kDecSignField, "%c", (i % 2) ? '+' : '-');
        put(celestra::kDecDegreesField, "%02d", degrees(random));
        put(celestra::kDecMinutesField, "%02d", sixty(random));
        put(celestra::kDecSecondsField, "%04.1f", sixty(random) + static_cast<int>(i % 10) / 10.0);
        put(celestra::kMagnitudeField, "%4.1f", 5.0 + static_cast<double>(i % 100) / 10.0);
        if (withMotion) {
            char motion[96];
            std::snprintf(motion, sizeof motion, " pm=%.3f,%.3f ep=2016.0 plx=%.4f rv=%.2f", -40.0 + sixty(random),
                          -30.0 + sixty(random), 0.5 + sixty(random) / 7.0, -30.0 + sixty(random));
            line += motion;
        }
        objects << line << "\r\n";
        // The line an earlier run wrote for this object, on another date.
        comets << earlier.LineOf(celestra::ReadObjectPlace(line)) << "\r\n";
    }
    objects.close();
    comets.close();
    files.cometBytes = fs::file_size(files.cometPath);
    files.objectBytes = fs::file_size(files.objectPath);
    return files;
}

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

// Runs the whole processing run over the files until the benchmark has its
// figures; every run leaves the file as it found it in size and shape: the
// earlier lines are purged and written anew.
void RunOver(benchmark::State& state, const Files& files, bool precise) {
    SilentMessageBox box;
    for (auto _ : state) {
        celestra::RunState run;
        run.cometPath = files.cometPath;
        run.objectPath = files.objectPath;
        run.dateText = "15/01/2006";
        run.precise = precise;
        if (!celestra::ProcessingRun(run, box).Run()) state.SkipWithError("run failed");
    }
    state.counters["peak_rss_MiB"] = PeakResidentMiB();
    state.counters["comet_MiB"] = static_cast<double>(files.cometBytes) / (1 << 20);
    state.counters["objects_MiB"] = static_cast<double>(files.objectBytes) / (1 << 20);
    fs::remove_all(files.folder);
}

constexpr long kUsersOrdinaryLines = 3000;

// Arguments: targets, and 0 for the classic lines, 1 for the precise ones,
// 2 for the precise ones of targets whose motion is given.
void BM_UsersRun(benchmark::State& state) {
    RunOver(state, MakeFiles(state.range(0), kUsersOrdinaryLines, state.range(1) == 2), state.range(1) != 0);
}

void BM_ProcessingRun(benchmark::State& state) {
    const long objectCount = state.range(0);
    RunOver(state, MakeFiles(objectCount, objectCount / 50), false);
    state.SetComplexityN(objectCount);
}

BENCHMARK(BM_UsersRun)->ArgsProduct({{30, 1000, 5000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

// Ascending sizes, so the peak memory of each size is its own.
BENCHMARK(BM_ProcessingRun)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Arg(400000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
