// Start-up time of Sorakado against a bare Qt Widgets program with one empty dialog.
// Every iteration launches a probe as a child process and waits for it to end; a probe
// ends right after its first window appears and prints the steady-clock time of that
// moment. The benchmark's own time is launch to exit; "window_ms" is launch to first
// window. BM_StartupRatio alternates the two probes so both share the same conditions.
#include "BenchFigures.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using benchfigures::median;

using Clock = std::chrono::steady_clock;

constexpr int kIterations = 20;

// What one launch of a probe gave: the time to its first window and to its exit, or why not.
struct ProbeRun
{
    double windowMs = 0;
    double exitMs = 0;
    std::string error;
};

// The probes and the scratch folder their environment points into.
struct ProbeSetup
{
    std::string startupProbe;
    std::string minimalProbe;
    std::string stderrFile;
};

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string readAll(int fd)
{
    std::string text;
    std::array<char, 256> buffer{};
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            text.append(buffer.data(), static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return text;
        }
    }
}

// The probe's last complaint, which is the one that ended it.
std::string lastLineOf(const std::string& path)
{
    std::ifstream in(path);
    std::string last;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            last = line;
        }
    }
    return last;
}

// Starts the probe with the current environment, standard output into a pipe and
// standard error into a file, and waits for it to end.
ProbeRun launchProbe(const std::string& probe, const std::string& stderrFile)
{
    ProbeRun run;
    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0) {
        run.error = "pipe failed";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = probe;
    std::array<char*, 2> argv{program.data(), nullptr};

    pid_t child = 0;
    const Clock::time_point launched = Clock::now();
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        run.error = "cannot start " + probe;
        return run;
    }
    const std::string output = readAll(pipeEnds[0]);
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const Clock::time_point exited = Clock::now();

    char* end = nullptr;
    const long long shownNs = std::strtoll(output.c_str(), &end, 10);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || end == output.c_str()) {
        run.error = probe + " failed: " + lastLineOf(stderrFile);
        return run;
    }
    const Clock::time_point shown{std::chrono::nanoseconds(shownNs)};
    run.windowMs = millisecondsBetween(launched, shown);
    run.exitMs = millisecondsBetween(launched, exited);
    return run;
}

// One probe per iteration; a first launch outside the timing fills the file cache.
void runProbe(benchmark::State& state, const std::string& probe, const std::string& stderrFile)
{
    if (const ProbeRun warmUp = launchProbe(probe, stderrFile); !warmUp.error.empty()) {
        state.SkipWithError(warmUp.error.c_str());
        return;
    }
    double windowMsTotal = 0;
    for (auto _ : state) {
        const ProbeRun run = launchProbe(probe, stderrFile);
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            break;
        }
        windowMsTotal += run.windowMs;
    }
    state.counters["window_ms"] =
        benchmark::Counter(windowMsTotal, benchmark::Counter::kAvgIterations);
}

// Both probes in turn in every iteration; the counters are medians of launch to first
// window, and the ratio is Sorakado's median over the minimal program's.
void runRatio(benchmark::State& state, const ProbeSetup& setup)
{
    for (const std::string* probe : {&setup.minimalProbe, &setup.startupProbe}) {
        if (const ProbeRun warmUp = launchProbe(*probe, setup.stderrFile); !warmUp.error.empty()) {
            state.SkipWithError(warmUp.error.c_str());
            return;
        }
    }
    std::vector<double> sorakado;
    std::vector<double> minimal;
    for (auto _ : state) {
        const ProbeRun base = launchProbe(setup.minimalProbe, setup.stderrFile);
        const ProbeRun full = launchProbe(setup.startupProbe, setup.stderrFile);
        const std::string& error = base.error.empty() ? full.error : base.error;
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        minimal.push_back(base.windowMs);
        sorakado.push_back(full.windowMs);
    }
    const double sorakadoMs = median(sorakado);
    const double minimalMs = median(minimal);
    state.counters["sorakado_ms"] = sorakadoMs;
    state.counters["minimal_ms"] = minimalMs;
    state.counters["ratio"] = sorakadoMs / minimalMs;
}

// The probes' settings land in a scratch folder, never in the user's configuration.
std::filesystem::path makeScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sorakado-bench-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}

void registerBenchmarks(const ProbeSetup& setup)
{
    const auto configure = [](benchmark::internal::Benchmark* bench) {
        bench->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    configure(benchmark::RegisterBenchmark("BM_MinimalDialog", [&setup](benchmark::State& s) {
        runProbe(s, setup.minimalProbe, setup.stderrFile);
    }));
    configure(benchmark::RegisterBenchmark("BM_SorakadoStartup", [&setup](benchmark::State& s) {
        runProbe(s, setup.startupProbe, setup.stderrFile);
    }));
    configure(benchmark::RegisterBenchmark("BM_StartupRatio",
                                           [&setup](benchmark::State& s) { runRatio(s, setup); }));
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const std::filesystem::path scratch = makeScratchFolder();
    if (scratch.empty()) {
        return 1;
    }
    // The probes inherit this environment: the platform plug-in as given (offscreen when
    // none is), and the scratch folder as the configuration folder.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);
    benchmark::AddCustomContext("QT_QPA_PLATFORM", std::getenv("QT_QPA_PLATFORM"));

    const ProbeSetup setup{SORAKADO_STARTUP_PROBE, SORAKADO_MINIMAL_PROBE,
                           (scratch / "probe-stderr.txt").string()};
    registerBenchmarks(setup);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(scratch);
    return 0;
}
