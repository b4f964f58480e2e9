// Reading parameters 0 to 63 from the simulated drive over a pseudo-terminal
// whose replies are paced as a real line at 9600, 19200 and 38400 baud would
// pace them. Reported: the time of one read of all 64 parameters against the
// wire time of the bytes it moves (10 bits a byte, both directions), and the
// process's CPU time as a share of the real time ("cpu"), which shows what
// the wait for replies costs.
//
//   build/bin/servoread_bench
#include "SimProcess.h"
#include "Unit1.h"
#include "Unit4.h"

#include <quorlpak/Application.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Timer.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <time.h>

namespace {

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Bytes on the line for one read of parameters 0..63: each command "n\r"
// and each reply "value\r".
size_t WireBytes(const TForm4& panel) {
    size_t bytes = 0;
    for (int n = 0; n < 64; ++n)
        bytes += std::to_string(n).size() + 1 + std::to_string(panel.ParamTable[n]).size() + 1;
    return bytes;
}

void BM_ReadParamAll(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    char folder[] = "/tmp/servoread-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("WINLAYER_HOME", folder, 1);
    const std::string devices = std::string(folder) + "/devices";
    std::filesystem::create_directories(devices);
    SimProcess sim(SERVODRIVE_SIM, devices + "/com1", {"--baud", std::to_string(baud)});
    if (!sim.Running()) {
        state.SkipWithError("servodrive-sim did not start");
        return;
    }

    InitializeQuorlpak();
    Unit4Initialize();
    Unit1Initialize();
    Application->CreateForm(Form4);
    Form4->Timer1->SetEnabled(false);
    Form4->rsopen(1, baud);
    if (!Form4->IsOnline()) {
        state.SkipWithError("COM1 did not open");
    } else {
        size_t bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        for (auto _ : state) {
            if (Form4->ReadParamAll() != 0) {
                state.SkipWithError("read failed");
                break;
            }
            bytes = WireBytes(*Form4);
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ProcessCpuSeconds() - cpuStart;
        if (elapsed > 0) state.counters["cpu"] = cpu / elapsed;
        const double wireSeconds = bytes * 10.0 / baud;
        state.counters["wire_ms"] = wireSeconds * 1000.0;
        // How many times the wire time one read takes.
        if (state.iterations() > 0)
            state.counters["time/wire"] = elapsed / state.iterations() / wireSeconds;
        state.counters["bytes"] = static_cast<double>(bytes);
        Form4->ClosePort();
    }
    FinalizeQuorlpak();
    Form4 = nullptr;
    Form1 = nullptr;
    Unit1Finalize();
    Unit4Finalize();
    sim.Stop();
    std::filesystem::remove_all(folder);
}

} // namespace

// Real time is what the user waits; CPU time is the whole process's, so a
// busy wait for replies would show as CPU time near the real time.
BENCHMARK(BM_ReadParamAll)
    ->Arg(9600)
    ->Arg(19200)
    ->Arg(38400)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(5);

BENCHMARK_MAIN();
