// Settings are read from SetUp.ini at every use and written back key by key; these figures say
// what opening or closing a history file pays for that.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <cstdlib>

#include <filesystem>
#include <string>

#include "settings/ini_file.h"
#include "settings/setup_ini.h"

namespace {

namespace fs = std::filesystem;

// A settings file as it stands after some use: every section, twelve channels.
struct SettingsFile {
    SettingsFile() {
        std::string t = (fs::temp_directory_path() / "vardo-bench-XXXXXX").string();
        dir = mkdtemp(t.data());
        path = dir + "/SetUp.ini";
        vardo::DisplaySettings ds;
        vardo::LoadDisplaySettings(path, ds);
        ds.Chnls = 12;
        bool written = vardo::SaveDisplaySettings(path, ds);
        vardo::LoadDisplaySettings(path, ds);
        written = written && vardo::SaveDisplaySettings(path, ds) &&
                  vardo::SaveCommSettings(path, vardo::CommSettings{}) &&
                  vardo::WriteModelList(path, vardo::DefaultModelList()) &&
                  vardo::WriteLastFile(path, "/home/user/vardo/Data/08@2024-05-06_07-08-09.vd");
        if (!written) std::abort();
    }
    ~SettingsFile() { fs::remove_all(dir); }
    std::string dir;
    std::string path;
};

void BM_LoadDisplaySettings(benchmark::State& state) {
    SettingsFile f;
    vardo::DisplaySettings ds;
    for (auto _ : state) {
        vardo::LoadDisplaySettings(f.path, ds);
        benchmark::DoNotOptimize(ds.channelColors.data());
    }
}
BENCHMARK(BM_LoadDisplaySettings)->Unit(benchmark::kMicrosecond);

// Unchanged values leave the file alone; a changed colour rewrites it once.
void BM_SaveDisplaySettingsUnchanged(benchmark::State& state) {
    SettingsFile f;
    vardo::DisplaySettings ds;
    vardo::LoadDisplaySettings(f.path, ds);
    for (auto _ : state) benchmark::DoNotOptimize(vardo::SaveDisplaySettings(f.path, ds));
}
BENCHMARK(BM_SaveDisplaySettingsUnchanged)->Unit(benchmark::kMicrosecond);

void BM_WriteOneKey(benchmark::State& state) {
    SettingsFile f;
    vardo::IniFile ini(f.path);
    int value = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ini.WriteInt("ViewSet", "color3", ++value));
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMicrosecond);

void BM_ReadModelList(benchmark::State& state) {
    SettingsFile f;
    for (auto _ : state) benchmark::DoNotOptimize(vardo::ReadModelList(f.path));
}
BENCHMARK(BM_ReadModelList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
