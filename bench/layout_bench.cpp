// The capacity recompute of the track list: a fresh tree of N files, one
// rename per file, and the layout; and the header built from that layout.

#include "engine/burner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// N small source files, made once per process and removed at exit.
class Sources {
public:
    static const std::vector<std::string>& files(int count)
    {
        static Sources sources;
        auto& list = sources.made_[count];
        if (list.empty()) {
            const fs::path dir = sources.root_ / std::to_string(count);
            fs::create_directories(dir);
            list.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                char name[96];
                std::snprintf(name, sizeof name, "Artista %d - Música número %05d.mp3", i % 97, i);
                const fs::path path = dir / name;
                std::ofstream(path) << "x";
                list.push_back(path.string());
            }
        }
        return list;
    }

private:
    Sources() : root_(fs::temp_directory_path() / ("valmuri-bench-" + std::to_string(::getpid()))) {}
    ~Sources()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path root_;
    std::map<int, std::vector<std::string>> made_;
};

void fill(valmuri::TVordaCDBurner& burner, const std::vector<std::string>& files)
{
    burner.ClearFiles();
    for (const auto& file : files)
        burner.InsertFile("\\", file, false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = fs::path(files[i]).filename().string();
        burner.RenameFileEntry("\\", name, "", "Faixa " + std::to_string(i) + ".mp3");
    }
    burner.BuildLayout(true);
}

void BM_Recompute(benchmark::State& state)
{
    const auto& files = Sources::files(static_cast<int>(state.range(0)));
    valmuri::TVordaCDBurner burner;
    for (auto _ : state) {
        fill(burner, files);
        benchmark::DoNotOptimize(burner.ImageSize());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Recompute)->Arg(999)->Arg(65535)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_LayoutOnly(benchmark::State& state)
{
    const auto& files = Sources::files(static_cast<int>(state.range(0)));
    valmuri::TVordaCDBurner burner;
    fill(burner, files);
    for (auto _ : state) {
        burner.BuildLayout(true);
        benchmark::DoNotOptimize(burner.ImageSize());
    }
}
BENCHMARK(BM_LayoutOnly)->Arg(999)->Arg(65535)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageHeader(benchmark::State& state)
{
    const auto& files = Sources::files(static_cast<int>(state.range(0)));
    valmuri::TVordaCDBurner burner;
    fill(burner, files);
    for (auto _ : state) {
        burner.BuildImageHeader();
        benchmark::DoNotOptimize(burner.HeaderStream().data());
    }
}
BENCHMARK(BM_ImageHeader)->Arg(999)->Arg(65535)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
