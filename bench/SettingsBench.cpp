// Benchmarks of the settings file: the application's store loading and saving an ordinary
// settings file and a hand-grown one of tens of megabytes.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BENCH=ON -DBRINDLE_GUI=OFF
//   cmake --build build/bench --target settings_bench && build/bench/bench/settings_bench

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/base/FileIo.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"

using namespace brindle;

namespace
{

char g_scratch[] = "/tmp/brindle-settings-bench-XXXXXX";

void removeScratch()
{
    (void)std::system((std::string("rm -rf '") + g_scratch + "'").c_str());
}

/// A scratch folder for the benchmark's files (with a trailing "/"), removed at exit.
std::string scratch()
{
    static const bool made = [] {
        if (!::mkdtemp(g_scratch))
            std::abort();
        std::atexit(removeScratch);
        return true;
    }();
    (void)made;
    return std::string(g_scratch) + "/";
}

/// The application's settings after a first start, then `filler` key lines of `width` bytes
/// in a foreign section placed before the application's sections (the worst place: every
/// lookup passes them).
std::string settingsText(std::size_t filler, std::size_t width)
{
    std::string text = "[Foreign]\n";
    std::string value(width, 'v');
    for (std::size_t i = 0; i < filler; ++i)
        text += "key" + std::to_string(i) + "=" + value + "\n";
    text += "[Booleans]\nrecurseDirs=1\nsort=1\n[Integers]\ncounterStart=3\nstvWidth=250\n"
            "[Strings]\npath=/home/user/Pictures\nfilemask=*.jpg\nfilemask0=*.jpg\nfilemask1=*.png\n"
            "[frmMain]\nLeft=10\nTop=20\nWidth=800\nHeight=600\nWinState=0\n";
    return text;
}

void prepare(benchmark::State& state, const std::string& text)
{
    if (writeFileAtomically(scratch() + kSettingsFileName, text).failed())
        state.SkipWithError("cannot write the settings file");
    state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
}

/// Start-up: loadValues + loadSettings.
void BM_Load(benchmark::State& state)
{
    prepare(state, settingsText(static_cast<std::size_t>(state.range(0)), 30));
    for (auto _ : state) {
        SettingsStore store;
        initAppSettingsStore(store, scratch());
        AppOptions options;
        if (!store.loadValues().ok() || !loadSettings(store, options, scratch()).ok()) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(options);
    }
}
BENCHMARK(BM_Load)->Arg(0)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/// Close: saveSettings + saveValues (the file is read, changed and replaced, synced to disk).
void BM_Save(benchmark::State& state)
{
    prepare(state, settingsText(static_cast<std::size_t>(state.range(0)), 30));
    SettingsStore store;
    initAppSettingsStore(store, scratch());
    AppOptions options;
    if (!store.loadValues().ok() || !loadSettings(store, options, scratch()).ok()) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        rememberFileMask(options.filemaskHistory, "*.txt");
        if (!saveSettings(options, store).ok() || !store.saveValues().ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_Save)->Arg(0)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/// The INI reader alone on bytes that hold no line break at all (a binary file).
void BM_ParseBinary(benchmark::State& state)
{
    std::string junk(static_cast<std::size_t>(state.range(0)) << 20, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) {
        const char c = static_cast<char>((i * 7919u) % 251u);
        junk[i] = c == '\n' ? 'x' : c;
    }
    for (auto _ : state) {
        IniFile ini("unused");
        ini.setText(junk);
        benchmark::DoNotOptimize(ini.readValue("Strings", "path"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * junk.size()));
}
BENCHMARK(BM_ParseBinary)->Arg(32)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
